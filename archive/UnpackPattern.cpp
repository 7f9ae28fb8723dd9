#include "UnpackPattern.h"

#include <algorithm>
#include <array>
#include <memory>
#include <optional>
#include <vector>

struct TWildcardPattern::TToken {
  enum class Kind { Literal, AnyOne, AnyRun, OneOf, RunOf } kind;
  char literal = 0;
  // Members of "<...>", apart from the token: a long pattern stays small.
  std::shared_ptr<const std::array<bool, 256>> set;
  bool InSet(char c) const { return (*set)[static_cast<unsigned char>(c)]; }
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
  tokens.reserve(pattern.size());
  for (std::size_t at = 0; at < pattern.size();) {
    const char c = pattern[at++];
    if (c == '?') {
      tokens.push_back({TToken::Kind::AnyOne, 0, {}});
    } else if (c == '*') {
      if (at < pattern.size() && pattern[at] == '<') {
        ++at;
        const auto set = ParseSet(pattern, at);
        if (!set) return std::nullopt;
        tokens.push_back({TToken::Kind::RunOf, 0, std::make_shared<const std::array<bool, 256>>(*set)});
      } else {
        tokens.push_back({TToken::Kind::AnyRun, 0, {}});
      }
    } else if (c == '<') {
      const auto set = ParseSet(pattern, at);
      if (!set) return std::nullopt;
      tokens.push_back({TToken::Kind::OneOf, 0, std::make_shared<const std::array<bool, 256>>(*set)});
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
    for (const TToken& t : tokens_) {
      if (t.kind == TToken::Kind::AnyRun || t.kind == TToken::Kind::RunOf)
        unbounded_ = true;
      else
        ++minLength_;
    }
    middleEnd_ = tokens_.size();
    while (middleBegin_ < middleEnd_ && tokens_[middleBegin_].kind == TToken::Kind::Literal)
      prefix_ += tokens_[middleBegin_++].literal;
    while (middleEnd_ > middleBegin_ && tokens_[middleEnd_ - 1].kind == TToken::Kind::Literal)
      suffix_.insert(suffix_.begin(), tokens_[--middleEnd_].literal);
  } else {
    malformed_ = true;
  }
}

TWildcardPattern::~TWildcardPattern() = default;
TWildcardPattern::TWildcardPattern(TWildcardPattern&&) noexcept = default;
TWildcardPattern& TWildcardPattern::operator=(TWildcardPattern&&) noexcept = default;

bool MatchWildcard(std::string_view pattern, std::string_view name) { return TWildcardPattern(pattern).Matches(name); }

bool TWildcardPattern::CouldMatchLength(std::size_t length) const {
  if (matchesAll_) return true;
  if (malformed_) return false;
  if (literal_) return length == literal_->size();
  return unbounded_ ? length >= minLength_ : length == minLength_;
}

namespace {

// A set of positions 0..n of a name, 64 to a word: "the tokens so far can
// match exactly the first j characters" for every j at once.
class TPositions {
public:
  explicit TPositions(std::size_t n) : bits_(n / 64 + 1, 0), n_(n) {}

  bool Has(std::size_t j) const { return (bits_[j / 64] >> (j % 64)) & 1u; }
  void Add(std::size_t j) { bits_[j / 64] |= std::uint64_t{1} << (j % 64); }
  bool Empty() const {
    return std::all_of(bits_.begin(), bits_.end(), [](std::uint64_t w) { return w == 0; });
  }

  // Every position one further (past n falls off).
  void ShiftUp() {
    std::uint64_t carry = 0;
    for (auto& w : bits_) {
      const std::uint64_t out = w >> 63;
      w = (w << 1) | carry;
      carry = out;
    }
    TrimTop();
  }
  void And(const TPositions& other) {
    for (std::size_t k = 0; k < bits_.size(); ++k) bits_[k] &= other.bits_[k];
  }
  // Every position from the lowest one up.
  void FillUpFromLowest() {
    std::size_t k = 0;
    while (k < bits_.size() && bits_[k] == 0) ++k;
    if (k == bits_.size()) return;
    bits_[k] |= ~(bits_[k] & (~bits_[k] + 1)) + 1;  // from the lowest set bit up
    for (++k; k < bits_.size(); ++k) bits_[k] = ~std::uint64_t{0};
    TrimTop();
  }
  // Extends every position up through consecutive members of allowed
  // (position j allowed when character j-1 may be repeated): one carry chain
  // per run, computed as an addition.
  void ExtendThrough(const TPositions& allowed) {
    TPositions starts = *this;
    starts.ShiftUp();
    starts.And(allowed);
    std::uint64_t carry = 0;
    for (std::size_t k = 0; k < bits_.size(); ++k) {
      const std::uint64_t s = allowed.bits_[k], st = starts.bits_[k];
      const std::uint64_t sum = s + st + carry;
      carry = (sum < s || (carry && sum == s)) ? 1 : 0;
      bits_[k] |= ((sum ^ s) | st) & s;
    }
    TrimTop();
  }

private:
  void TrimTop() {
    const std::size_t used = n_ % 64 + 1;
    if (used < 64) bits_.back() &= (std::uint64_t{1} << used) - 1;
  }

  std::vector<std::uint64_t> bits_;
  std::size_t n_;
};

// Positions j (1..n) whose preceding character passes the test.
template <class Test>
TPositions PositionsAfter(std::string_view name, Test test) {
  TPositions positions(name.size());
  for (std::size_t j = 0; j < name.size(); ++j)
    if (test(name[j])) positions.Add(j + 1);
  return positions;
}

}  // namespace

bool TWildcardPattern::Matches(std::string_view name) const {
  if (matchesAll_) return true;
  if (malformed_) return false;
  if (literal_) return name == *literal_;
  if (!CouldMatchLength(name.size())) return false;
  if (name.compare(0, prefix_.size(), prefix_) != 0) return false;
  if (name.compare(name.size() - suffix_.size(), suffix_.size(), suffix_) != 0) return false;
  const std::string_view middle = name.substr(prefix_.size(), name.size() - prefix_.size() - suffix_.size());

  // Each token costs a pass over the name's positions a word at a time, so
  // no pattern can make matching explode.
  const std::size_t n = middle.size();
  TPositions reach(n);
  reach.Add(0);
  std::vector<std::optional<TPositions>> afterChar(256);
  for (std::size_t k = middleBegin_; k < middleEnd_ && !reach.Empty(); ++k) {
    const TToken& t = tokens_[k];
    switch (t.kind) {
      case TToken::Kind::AnyRun:
        reach.FillUpFromLowest();
        break;
      case TToken::Kind::RunOf:
        reach.ExtendThrough(PositionsAfter(middle, [&t](char c) { return t.InSet(c); }));
        break;
      case TToken::Kind::AnyOne:
        reach.ShiftUp();
        break;
      case TToken::Kind::OneOf:
        reach.ShiftUp();
        reach.And(PositionsAfter(middle, [&t](char c) { return t.InSet(c); }));
        break;
      case TToken::Kind::Literal: {
        auto& positions = afterChar[static_cast<unsigned char>(t.literal)];
        if (!positions) positions = PositionsAfter(middle, [&t](char c) { return c == t.literal; });
        reach.ShiftUp();
        reach.And(*positions);
        break;
      }
    }
  }
  return reach.Has(n);
}
