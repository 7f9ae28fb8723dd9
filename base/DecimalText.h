// Whole decimal numbers in text that holds nothing else: the one reader of
// numbers for stored files, memory paths and the player's answers.
#pragma once

#include <cstddef>
#include <limits>
#include <optional>
#include <string_view>
#include <type_traits>

// Which leading sign a number may carry. A minus is read only where the
// target type is signed.
enum class TDecimalSign { None, MinusOnly, PlusOrMinus };

namespace detail {

template <typename T, typename Char>
std::optional<T> ParseDecimalText(std::basic_string_view<Char> text, TDecimalSign sign) {
  static_assert(std::is_integral_v<T> && !std::is_same_v<T, bool>);
  using TUnsigned = std::make_unsigned_t<T>;
  std::size_t at = 0;
  bool negative = false;
  if (!text.empty() && sign != TDecimalSign::None) {
    if (text[0] == Char('-')) {
      if (!std::is_signed_v<T>) return std::nullopt;
      negative = true;
      at = 1;
    } else if (text[0] == Char('+') && sign == TDecimalSign::PlusOrMinus) {
      at = 1;
    }
  }
  if (at == text.size()) return std::nullopt;
  // The magnitude of the most negative value is one more than the largest.
  const TUnsigned limit = static_cast<TUnsigned>(std::numeric_limits<T>::max()) + (negative ? 1u : 0u);
  TUnsigned value = 0;
  for (; at < text.size(); ++at) {
    if (text[at] < Char('0') || text[at] > Char('9')) return std::nullopt;
    const auto digit = static_cast<TUnsigned>(text[at] - Char('0'));
    if (value > (limit - digit) / 10) return std::nullopt;
    value = static_cast<TUnsigned>(value * 10 + digit);
  }
  return static_cast<T>(negative ? static_cast<TUnsigned>(0u - value) : value);
}

}  // namespace detail

// The number `text` spells: an optional sign as `sign` allows, then one or
// more ASCII digits and nothing else, within the range of T; empty otherwise.
template <typename T>
std::optional<T> ParseDecimal(std::string_view text, TDecimalSign sign = TDecimalSign::None) {
  return detail::ParseDecimalText<T>(text, sign);
}

template <typename T>
std::optional<T> ParseDecimal(std::wstring_view text, TDecimalSign sign = TDecimalSign::None) {
  return detail::ParseDecimalText<T>(text, sign);
}
