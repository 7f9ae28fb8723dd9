#include "UnpackPattern.h"

#include <algorithm>
#include <array>
#include <optional>
#include <vector>

struct TWildcardPattern::TToken {
  enum class Kind { Literal, AnyOne, AnyRun, OneOf, RunOf } kind;
  char literal = 0;
  std::array<bool, 256> set{};  // members of "<...>"
  bool InSet(char c) const { return set[static_cast<unsigned char>(c)]; }
};

namespace {

using TToken = TWildcardPattern::TToken;

// Parses "<...>" starting just after the "<"; advances past the ">".
std::optional<std::array<bool, 256>> ParseSet(std::string_view pattern, std::size_t& at) {
  std::array<bool, 256> set{};
  bool negated = false;
  if (at < pattern.size() && (pattern[at] == '!' || pattern[at] == '^')) {
    negated = true;
    ++at;
  }
  bool any = false;
  while (at < pattern.size() && pattern[at] != '>') {
    const auto low = static_cast<unsigned char>(pattern[at++]);
    unsigned char high = low;
    if (at < pattern.size() && pattern[at] == '-') {
      ++at;
      if (at >= pattern.size() || pattern[at] == '>') return std::nullopt;  // "a-" has no upper end
      high = static_cast<unsigned char>(pattern[at++]);
    }
    for (unsigned c = low; c <= high; ++c) set[c] = true;
    any = true;
  }
  if (at >= pattern.size() || !any) return std::nullopt;
  ++at;  // the ">"
  if (negated)
    for (auto& m : set) m = !m;
  return set;
}

std::optional<std::vector<TToken>> Tokenize(std::string_view pattern) {
  std::vector<TToken> tokens;
  for (std::size_t at = 0; at < pattern.size();) {
    const char c = pattern[at++];
    if (c == '?') {
      tokens.push_back({TToken::Kind::AnyOne, 0, {}});
    } else if (c == '*') {
      if (at < pattern.size() && pattern[at] == '<') {
        ++at;
        const auto set = ParseSet(pattern, at);
        if (!set) return std::nullopt;
        tokens.push_back({TToken::Kind::RunOf, 0, *set});
      } else {
        tokens.push_back({TToken::Kind::AnyRun, 0, {}});
      }
    } else if (c == '<') {
      const auto set = ParseSet(pattern, at);
      if (!set) return std::nullopt;
      tokens.push_back({TToken::Kind::OneOf, 0, *set});
    } else {
      tokens.push_back({TToken::Kind::Literal, c, {}});
    }
  }
  return tokens;
}

}  // namespace

TWildcardPattern::TWildcardPattern(std::string_view pattern) {
  if (pattern == "*") {
    matchesAll_ = true;
  } else if (pattern.find_first_of("?*<") == std::string_view::npos) {
    literal_ = std::string(pattern);
  } else if (auto tokens = Tokenize(pattern)) {
    tokens_ = std::move(*tokens);
  } else {
    malformed_ = true;
  }
}

TWildcardPattern::~TWildcardPattern() = default;
TWildcardPattern::TWildcardPattern(TWildcardPattern&&) noexcept = default;
TWildcardPattern& TWildcardPattern::operator=(TWildcardPattern&&) noexcept = default;

bool MatchWildcard(std::string_view pattern, std::string_view name) { return TWildcardPattern(pattern).Matches(name); }

bool TWildcardPattern::Matches(std::string_view name) const {
  if (matchesAll_) return true;
  if (malformed_) return false;
  if (literal_) return name == *literal_;

  // reach[j]: the tokens so far can match exactly the first j characters.
  // Linear in the name per token, so no pattern can make matching explode.
  const std::size_t n = name.size();
  std::vector<char> reach(n + 1, 0), next(n + 1, 0);
  reach[0] = 1;
  for (const TToken& t : tokens_) {
    std::fill(next.begin(), next.end(), 0);
    switch (t.kind) {
      case TToken::Kind::AnyRun: {
        char any = 0;
        for (std::size_t j = 0; j <= n; ++j) next[j] = any = static_cast<char>(any | reach[j]);
        break;
      }
      case TToken::Kind::RunOf:
        for (std::size_t j = 0; j <= n; ++j)
          next[j] = static_cast<char>(reach[j] || (j > 0 && next[j - 1] && t.InSet(name[j - 1])));
        break;
      default:
        for (std::size_t j = 0; j < n; ++j) {
          if (!reach[j]) continue;
          const char c = name[j];
          const bool fits = t.kind == TToken::Kind::AnyOne || (t.kind == TToken::Kind::Literal && c == t.literal) ||
                            (t.kind == TToken::Kind::OneOf && t.InSet(c));
          if (fits) next[j + 1] = 1;
        }
        break;
    }
    reach.swap(next);
  }
  return reach[n] != 0;
}
