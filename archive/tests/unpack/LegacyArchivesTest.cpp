// The DOS-era archives (see tests/data/legacy/ORIGIN.md) through the reader:
// shrunk, reduced and imploded entries come out as the original files.
#include <gtest/gtest.h>

#include "UnpackTestSupport.h"

using namespace unpacktest;

namespace {

const std::string kData = VELL_ARCHIVE_TEST_DATA "/legacy/";

class LegacyArchives : public ::testing::TestWithParam<const char*> {};

}  // namespace

TEST_P(LegacyArchives, EveryEntryComesOutAsTheOriginal) {
  const std::pair<const char*, const char*> entries[] = {
      {"*.exe", "expected-test.exe"}, {"*.jpg", "expected-test.jpg"}, {"*.txt", "expected-test.txt"}};
  for (const auto& [pattern, expected] : entries) {
    const TExtraction got = Extract(kData + GetParam(), pattern);
    EXPECT_EQ(got.Result, 1) << pattern;
    EXPECT_TRUE(got.Data == ReadFile(kData + expected)) << pattern;
  }
}

INSTANTIATE_TEST_SUITE_P(Fixtures, LegacyArchives,
                         ::testing::Values("Zip.shrink.zip", "Zip.reduce1.zip", "Zip.reduce2.zip", "Zip.reduce3.zip",
                                           "Zip.reduce4.zip", "Zip.implode.zip"));
