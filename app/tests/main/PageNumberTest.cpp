#include <gtest/gtest.h>

#include "PageNumber.h"

TEST(PageNumber, OnlyAWholeNumberInsideTheBookIsAPage) {
  const std::pair<const char*, std::optional<int>> cases[] = {
      {"1", 1},        {"7", 7},         {" 12 ", 12},     {"\t3\r\n", 3},  {"007", 7},
      {"0", {}},       {"13", {}},       {"-1", {}},       {"+7", {}},      {"", {}},
      {"  ", {}},      {"7a", {}},       {"seven", {}},    {"7.0", {}},     {"7 8", {}},
      {"4294967303", {}},  // 7 past 2^32: no wrap-around into the book
      {"99999999999999999999", {}},
  };
  for (const auto& [text, page] : cases) EXPECT_EQ(ParsePageNumber(text, 12), page) << "'" << text << "'";
  EXPECT_EQ(ParsePageNumber("1", 0), std::nullopt);  // a book without pages has none to go to
}
