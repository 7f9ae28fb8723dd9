#include "ResumePages.h"

#include <gtest/gtest.h>

namespace {

const TBookIdentity kGreek{"C:\\Books\\\xCE\x95\xCE\xBB\xCE\xBB\xCE\xB7\xCE\xBD\xCE\xB9\xCE\xBA\xCE\xAC.vlq", 1234, 99};

TEST(ResumePages, StoredPageComesBackOnlyForTheSameFile) {
  TResumePages pages;
  pages.Store(kGreek, 7);
  struct Case {
    const char* what;
    TBookIdentity book;
    std::optional<int> page;
  } cases[] = {
      {"same book", kGreek, 7},
      {"other case of ASCII letters", {"c:\\BOOKS\\\xCE\x95\xCE\xBB\xCE\xBB\xCE\xB7\xCE\xBD\xCE\xB9\xCE\xBA\xCE\xAC.VLQ", 1234, 99}, 7},
      {"rewritten: other size", {kGreek.path, 1235, 99}, std::nullopt},
      {"rewritten: other time", {kGreek.path, 1234, 100}, std::nullopt},
      {"other book", {"C:\\Books\\other.vlq", 1234, 99}, std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(pages.PageOf(c.book), c.page) << c.what;
}

TEST(ResumePages, StoringAgainReplacesTheBookAndTheOldestGoBeyondTheLimit) {
  TResumePages pages(3);
  for (int i = 0; i < 4; ++i) pages.Store({"C:\\b" + std::to_string(i) + ".vlq", 1, 1}, i + 10);
  EXPECT_EQ(pages.Count(), 3u);
  EXPECT_EQ(pages.PageOf({"C:\\b0.vlq", 1, 1}), std::nullopt);
  pages.Store({"C:\\b1.vlq", 1, 1}, 42);  // b1 becomes the newest, b2 the oldest
  pages.Store({"C:\\b4.vlq", 1, 1}, 5);
  EXPECT_EQ(pages.Count(), 3u);
  EXPECT_EQ(pages.PageOf({"C:\\b1.vlq", 1, 1}), 42);
  EXPECT_EQ(pages.PageOf({"C:\\b2.vlq", 1, 1}), std::nullopt);
}

TEST(ResumePages, SurvivesASaveAndReloadWithNonAsciiPaths) {
  TResumePages pages;
  const TBookIdentity japanese{"D:\\\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E.vlq", 1ull << 33, 133000000000000000ull};
  pages.Store(kGreek, 7);
  pages.Store(japanese, 3);
  TResumePages loaded = TResumePages::Parse(pages.Serialize());
  EXPECT_EQ(loaded.PageOf(kGreek), 7);
  EXPECT_EQ(loaded.PageOf(japanese), 3);
  EXPECT_EQ(loaded.Serialize(), pages.Serialize());
}

TEST(ResumePages, DamagedLinesAreSkippedAndTheRestKept) {
  const std::string text =
      "7\t10\t20\tC:\\good.vlq\r\n"
      "x\t10\t20\tC:\\badpage.vlq\r\n"
      "1\t10\tC:\\missingfield.vlq\r\n"
      "2\t10\t20\t\r\n"
      "\n"
      "3\t-1\t20\tC:\\negative.vlq\n"
      "4\t11\t21\tC:\\last-without-newline.vlq";
  TResumePages loaded = TResumePages::Parse(text);
  EXPECT_EQ(loaded.Count(), 2u);
  EXPECT_EQ(loaded.PageOf({"C:\\good.vlq", 10, 20}), 7);
  EXPECT_EQ(loaded.PageOf({"C:\\last-without-newline.vlq", 11, 21}), 4);
}

TEST(ResumePages, PathsThatWouldBreakTheFileAreNotStored) {
  TResumePages pages;
  pages.Store({"C:\\a\tb.vlq", 1, 1}, 2);
  pages.Store({"C:\\a\nb.vlq", 1, 1}, 2);
  pages.Store({"", 1, 1}, 2);
  EXPECT_EQ(pages.Count(), 0u);
}

}  // namespace
