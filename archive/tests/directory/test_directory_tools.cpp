// Directories of archives made by Info-ZIP zip, 7-Zip and Python's zipfile.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "TestSupport.h"
#include "ZipReader.h"

using namespace testsupport;

namespace {

class RealToolArchives : public ::testing::TestWithParam<const char*> {};

TEST_P(RealToolArchives, ListEveryEntryWithBackslashesInPhysicalOrder) {
  TZipReader reader;
  reader.SetZipName(FixturePath(GetParam()));
  reader.ReadZipDirectory();
  const auto names = Names(reader);
  std::map<std::string, std::uint64_t> sizes;
  for (int i = 0; i < reader.EntryCount(); ++i) {
    sizes[names[static_cast<std::size_t>(i)]] = reader.Entry(i).EffectiveUncompressedSize();
    if (i > 0) {
      EXPECT_LT(reader.Entry(i - 1).EffectiveLocalHeaderOffset(), reader.Entry(i).EffectiveLocalHeaderOffset());
    }
  }
  EXPECT_EQ(sizes.size(), 6u);
  EXPECT_EQ(sizes["book.swf"], 43u);
  EXPECT_EQ(sizes["files\\book.bin"], 140u);
  EXPECT_EQ(sizes["files\\config.xml"], 17u);
  EXPECT_EQ(sizes["files\\pages\\001.jpg"], 300u);
  EXPECT_TRUE(sizes.count("files\\"));
  const int directory = static_cast<int>(std::find(names.begin(), names.end(), "files\\") - names.begin());
  EXPECT_EQ(reader.EntryFileName(directory), "");
  EXPECT_EQ(reader.Entry(directory).Directory, "files\\");
  EXPECT_FALSE(reader.DirectoryRebuilt());
}

INSTANTIATE_TEST_SUITE_P(ZipSevenZipAndZip64, RealToolArchives,
                         ::testing::Values("book-zip.zip", "book-7z.zip", "book-zip64.zip"));

TEST(Directory, ForcedZip64RecordsAreResolved) {
  TZipReader reader;
  reader.SetZipName(FixturePath("py-zip64.zip"));
  reader.ReadZipDirectory();
  ASSERT_EQ(reader.EntryCount(), 2);
  EXPECT_EQ(reader.EntryFullName(0), "big.bin");
  EXPECT_EQ(reader.Entry(0).EffectiveUncompressedSize(), 1000u);
  EXPECT_EQ(reader.Entry(1).EffectiveCompressedSize(), 10u);
  EXPECT_GT(reader.Entry(1).EffectiveLocalHeaderOffset(), 1000u);
}

TEST(Directory, OnlySlashesAreRewritten) {
  TZipReader reader;
  reader.SetZipName(FixturePath("names.zip"));
  reader.ReadZipDirectory();
  EXPECT_EQ(Names(reader), (std::vector<std::string>{".\\files\\book.bin", "files\\config.xml", "files\\"}));
  EXPECT_EQ(reader.EntryComment(1), "entry comment");
  EXPECT_EQ(reader.EntryComment(0), "");
}

TEST(Directory, LongestArchiveCommentIsFound) {
  TZipReader reader;
  reader.SetZipName(FixturePath("long-comment.zip"));
  reader.ReadZipDirectory();
  ASSERT_EQ(reader.EntryCount(), 1);
  const std::string comment = reader.ArchiveComment();
  ASSERT_EQ(comment.size(), 65535u);
  EXPECT_EQ(static_cast<unsigned char>(comment[0]), 4);
  EXPECT_EQ(static_cast<unsigned char>(comment[65534]), (65534 * 7 + 3) % 251 + 1);
}

TEST(Directory, EndRecordOutsideTheSearchWindowIsNotFound) {
  TZipReader reader;
  reader.SetZipName(FixturePath("trailing.zip"));
  reader.ReadZipDirectory();
  EXPECT_EQ(reader.EntryCount(), 0);
  reader.SetZipName(FixturePath("trailing.zip") + "x");  // forget
  reader.SetZipName(FixturePath("trailing.zip"));
  reader.SetIncompleteZipMode(TIncompleteZipMode::izAssumeNotAZip);
  try {
    reader.ReadZipDirectory();
    FAIL();
  } catch (const ENotAZipFile& e) {
    EXPECT_STREQ(e.what(), "Not a valid zip file!");
  }
  EXPECT_EQ(reader.ZipName(), "");  // state cleared
}

// Files that are no archive (or an archive of nothing) list no entries and
// raise nothing under the default settings.
TEST(Directory, NothingToListIsNoError) {
  for (const char* name : {"empty.vlq", "empty-archive.zip", "text.vlq", "short.vlq"}) {
    SCOPED_TRACE(name);
    TZipReader reader;
    reader.SetZipName(FixturePath(name));
    EXPECT_NO_THROW(reader.ReadZipDirectory());
    EXPECT_EQ(reader.EntryCount(), 0);
    EXPECT_THROW(reader.EntryFullName(0), EListError);
  }
}

TEST(Directory, MissingFileRaisesTheOpenErrorAndClears) {
  TZipReader reader;
  reader.SetZipName(FixturePath("no-such-book.vlq"));
  EXPECT_THROW(reader.ReadZipDirectory(), EFOpenError);
  EXPECT_EQ(reader.ZipName(), "");
  EXPECT_EQ(reader.EntryCount(), 0);
}

TEST(Directory, SortViews) {
  TZipReader reader;
  reader.SetZipName(FixturePath("book-zip.zip"));
  reader.SetSortMode(TZipSortMode::ByName);
  reader.ReadZipDirectory();
  EXPECT_EQ(Names(reader), (std::vector<std::string>{"book.swf", "files\\", "files\\book.bin", "files\\config.xml",
                                                     "files\\pages\\", "files\\pages\\001.jpg"}));
  reader.SetZipName(FixturePath("names.zip"));
  reader.SetSortMode(TZipSortMode::ByDate);
  reader.ReadZipDirectory();
  // Newest first; the directory entry carries the oldest (1980) date.
  EXPECT_EQ(Names(reader), (std::vector<std::string>{"files\\config.xml", ".\\files\\book.bin", "files\\"}));
  reader.SetZipName(FixturePath("book-zip.zip"));
  reader.SetSortMode(TZipSortMode::ByUnCompressedSize);
  reader.ReadZipDirectory();
  EXPECT_EQ(reader.EntryFullName(0), "files\\pages\\001.jpg");
  EXPECT_EQ(reader.EntryFullName(1), "files\\book.bin");
}

}  // namespace
