#include <gtest/gtest.h>

#include <regex>

#include "ULog.h"
#include "VersionText.h"

namespace {

TEST(FormatVersionText, Cases) {
  struct Case {
    std::uint32_t ms, ls, flags;
    const char* expected;
  } cases[] = {
      {0x00020000, 0x00000000, 0, "2.0.0 "},
      {0x00020000, 0x00000000, 0x2, "2.0.0 Beta"},
      {0x0001000A, 0x00030063, 0x3, "1.10.3 Beta"},  // build number 99 is not shown
      {0xFFFFFFFF, 0xFFFF0000, 0x1, "65535.65535.65535 "},
      {0, 0, 0, "0.0.0 "},
  };
  for (const Case& c : cases) EXPECT_EQ(FormatVersionText(c.ms, c.ls, c.flags), c.expected);
}

#ifdef _WIN32
TEST(GetVersionText, TheRunningProgramsFileVersionWithoutBuildNumber) {
  // The product version (9.9.9) and the build number (9265) are not shown.
  EXPECT_EQ(GetVersionText(), "3.14.15 Beta");
}
#endif

TEST(FormatLogTimeStamp, PadsEveryField) {
  std::tm t{};
  t.tm_year = 2026 - 1900;
  t.tm_mon = 0;
  t.tm_mday = 5;
  t.tm_hour = 7;
  t.tm_min = 3;
  t.tm_sec = 9;
  EXPECT_EQ(FormatLogTimeStamp(t), "2026-01-05 07:03:09");
}

}  // namespace
