// Wildcard matching of entry paths for extraction.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Matches an entry path against a pattern, both already lower-cased.
// "?" is any one character, "*" any run (also across "\"), "<...>" one
// character in a set of characters and ranges ("<a-z_>", negated by a leading
// "!" or "^"), and "*" right before a set a run of characters from that set.
// A malformed set (unclosed, empty, or a range without an upper end) matches
// nothing.
bool MatchWildcard(std::string_view pattern, std::string_view name);

// The same, with the pattern taken apart once for matching many names.
class TWildcardPattern {
public:
  explicit TWildcardPattern(std::string_view pattern);
  ~TWildcardPattern();
  TWildcardPattern(TWildcardPattern&&) noexcept;
  TWildcardPattern& operator=(TWildcardPattern&&) noexcept;

  bool Matches(std::string_view name) const;
  // False when no name of this length can match (a quick test before the
  // name is even lower-cased).
  bool CouldMatchLength(std::size_t length) const;

  struct TToken;  // one element of a pattern; defined with the matcher

private:
  bool malformed_ = false;
  bool matchesAll_ = false;
  std::optional<std::string> literal_;  // a pattern without wildcards: plain comparison
  std::vector<TToken> tokens_;
  // Taken apart once: the literal characters every match begins and ends
  // with, the tokens between them, and the name lengths that can match.
  std::string prefix_;
  std::string suffix_;
  std::size_t middleBegin_ = 0;
  std::size_t middleEnd_ = 0;
  std::size_t minLength_ = 0;
  bool unbounded_ = false;  // a run token: names may be longer than minLength_
};
