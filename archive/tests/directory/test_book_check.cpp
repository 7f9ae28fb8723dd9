// The book rule shared by the reader application and bookzip.
#include <gtest/gtest.h>

#include "BookCheck.h"
#include "TestSupport.h"
#include "ZipReader.h"

using namespace testsupport;

namespace {

TEST(BookCheck, NamesAreNormalisedBeforeAnExactComparison) {
  struct Case {
    const char* given;
    const char* normalised;
  } cases[] = {
      {"book.swf", "book.swf"},
      {"./book.swf", "book.swf"},
      {"././book.swf", "book.swf"},
      {"./files/book.bin", "files\\book.bin"},
      {"files/./pages/001.jpg", "files\\pages\\001.jpg"},
      {"../x", ".x"},  // one pass: ".." loses only the "./" it ends with
      {".././x", ".x"},
      {"a\\b", "a\\b"},
      {"Book.swf", "Book.swf"},  // letter case is kept; matching is exact
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(NormalizeBookEntryName(c.given), c.normalised) << c.given;
}

TEST(BookCheck, FindsEntriesCaseSensitively) {
  TZipReader reader;
  reader.SetZipName(FixturePath("book-zip.zip"));
  reader.ReadZipDirectory();
  EXPECT_EQ(FindBookEntry(&reader, "./book.swf"), 1);
  EXPECT_GT(FindBookEntry(&reader, "./files/config.xml"), 0);
  EXPECT_EQ(FindBookEntry(&reader, "Book.swf"), 0);
  EXPECT_EQ(FindBookEntry(nullptr, "book.swf"), 0);
  EXPECT_TRUE(CheckBook(&reader).IsBook());
}

TEST(BookCheck, WhatIsMissing) {
  TZipReader reader;
  reader.SetZipName(FixturePath("names.zip"));  // no book.swf; ".\files\book.bin" is not files\book.bin
  reader.ReadZipDirectory();
  const TBookCheck check = CheckBook(&reader);
  EXPECT_FALSE(check.HasMovie);
  EXPECT_TRUE(check.HasRunTimeFile);  // files\config.xml
  EXPECT_EQ(check.Missing(), std::vector<std::string>{"book.swf"});

  TZipReader text;
  text.SetZipName(FixturePath("text.vlq"));
  text.ReadZipDirectory();
  EXPECT_EQ(CheckBook(&text).Missing().size(), 2u);
}

}  // namespace
