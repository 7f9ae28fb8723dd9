#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>

#include "DecimalText.h"

namespace {

struct TCase {
  const char* Text;
  TDecimalSign Sign;
  std::optional<long long> Int;       // read as int
  std::optional<long long> Unsigned;  // read as std::uint16_t
};

// Each text read as a signed and as an unsigned type, so that the range
// edges of both show: the most negative int, one past the largest.
const TCase kCases[] = {
    {"0", TDecimalSign::None, 0, 0},
    {"0042", TDecimalSign::None, 42, 42},
    {"2147483647", TDecimalSign::None, 2147483647LL, std::nullopt},
    {"2147483648", TDecimalSign::None, std::nullopt, std::nullopt},
    {"65535", TDecimalSign::None, 65535, 65535},
    {"65536", TDecimalSign::None, 65536, std::nullopt},
    {"-2147483648", TDecimalSign::MinusOnly, -2147483648LL, std::nullopt},
    {"-2147483649", TDecimalSign::MinusOnly, std::nullopt, std::nullopt},
    {"-0", TDecimalSign::MinusOnly, 0, std::nullopt},
    {"-5", TDecimalSign::None, std::nullopt, std::nullopt},
    {"+5", TDecimalSign::MinusOnly, std::nullopt, std::nullopt},
    {"+5", TDecimalSign::PlusOrMinus, 5, 5},
    {"-", TDecimalSign::PlusOrMinus, std::nullopt, std::nullopt},
    {"", TDecimalSign::None, std::nullopt, std::nullopt},
    {" 5", TDecimalSign::None, std::nullopt, std::nullopt},
    {"5 ", TDecimalSign::None, std::nullopt, std::nullopt},
    {"1e3", TDecimalSign::None, std::nullopt, std::nullopt},
    {"99999999999999999999", TDecimalSign::None, std::nullopt, std::nullopt},
};

template <typename T>
std::optional<long long> Widened(std::optional<T> value) {
  return value ? std::optional<long long>(*value) : std::nullopt;
}

TEST(DecimalText, ReadsWholeNumbersWithinTheTypeAndNothingElse) {
  for (const TCase& c : kCases) {
    SCOPED_TRACE(c.Text);
    const std::string narrow = c.Text;
    const std::wstring wide(narrow.begin(), narrow.end());
    EXPECT_EQ(Widened(ParseDecimal<int>(narrow, c.Sign)), c.Int);
    EXPECT_EQ(Widened(ParseDecimal<int>(wide, c.Sign)), c.Int) << "wide text reads the same";
    EXPECT_EQ(Widened(ParseDecimal<std::uint16_t>(narrow, c.Sign)), c.Unsigned);
  }
}

TEST(DecimalText, ReadsTheFullRangeOfSixtyFourBits) {
  EXPECT_EQ(ParseDecimal<std::uint64_t>("18446744073709551615"), UINT64_MAX);
  EXPECT_EQ(ParseDecimal<std::uint64_t>("18446744073709551616"), std::nullopt);
  EXPECT_EQ(ParseDecimal<std::int64_t>("-9223372036854775808", TDecimalSign::MinusOnly), INT64_MIN);
}

}  // namespace
