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

  struct TToken;  // one element of a pattern; defined with the matcher

private:
  bool malformed_ = false;
  bool matchesAll_ = false;
  std::optional<std::string> literal_;  // a pattern without wildcards: plain comparison
  std::vector<TToken> tokens_;
};
