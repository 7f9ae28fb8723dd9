// Directories written by the tests' own writer, for records that real tools
// do not produce on request.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "TestSupport.h"
#include "ZipReader.h"

using namespace testsupport;

namespace {

TEST(CraftedDirectory, EntriesFollowLocalHeaderOrderNotCentralOrder) {
  TScratchFolder dir;
  TArchiveLayout layout;
  layout.Entries = {StoredEntry("a"), StoredEntry("b"), StoredEntry("c")};
  layout.CentralOrder = {2, 0, 1};
  TZipReader reader;
  reader.SetZipName(dir.Write("order.zip", BuildArchive(layout)));
  reader.ReadZipDirectory();
  EXPECT_EQ(Names(reader), (std::vector<std::string>{"a", "b", "c"}));
}

TEST(CraftedDirectory, AnnouncedButMissingExtraFieldIsRepaired) {
  TScratchFolder dir;
  TArchiveLayout layout;
  layout.Entries = {StoredEntry("first"), StoredEntry("second"), StoredEntry("third")};
  layout.Entries[0].PhantomExtraLength = 9;
  TZipReader reader;
  reader.SetZipName(dir.Write("phantom.zip", BuildArchive(layout)));
  reader.ReadZipDirectory();
  EXPECT_EQ(Names(reader), (std::vector<std::string>{"first", "second", "third"}));
  EXPECT_EQ(reader.Entry(0).ExtraFieldLength, 0);
  EXPECT_FALSE(reader.DirectoryRebuilt());
}

TEST(CraftedDirectory, DosDatesAreClampedIntoRange) {
  struct Case {
    std::uint32_t stored, expected;
  } cases[] = {
      // month 0, day 0 -> month 1, day 1
      {(45u << 25) | (0u << 21) | (0u << 16) | (10u << 11) | (20u << 5) | 15u,
       (45u << 25) | (1u << 21) | (1u << 16) | (10u << 11) | (20u << 5) | 15u},
      // hour 31, minute 63, second 62 -> 23:59:58
      {(45u << 25) | (6u << 21) | (15u << 16) | (31u << 11) | (63u << 5) | 31u,
       (45u << 25) | (6u << 21) | (15u << 16) | (23u << 11) | (59u << 5) | 29u},
      // month 13 -> 12; a valid value is left alone
      {(2u << 25) | (13u << 21) | (5u << 16), (2u << 25) | (12u << 21) | (5u << 16)},
      {0x5A8C6000u, 0x5A8C6000u},
  };
  for (const Case& c : cases) EXPECT_EQ(NormalizeDosDateTime(c.stored), c.expected) << std::hex << c.stored;

  TScratchFolder dir;
  TArchiveLayout layout;
  layout.Entries = {StoredEntry("d")};
  layout.Entries[0].DosDateTime = cases[1].stored;
  TZipReader reader;
  reader.SetZipName(dir.Write("dates.zip", BuildArchive(layout)));
  reader.ReadZipDirectory();
  EXPECT_EQ(reader.Entry(0).ModifDateTime, cases[1].expected);
}

// Newest first; a date the calendar does not have counts as 0 and goes last,
// in physical order.
TEST(CraftedDirectory, DateViewPutsDaysThatDoNotExistLast) {
  const auto noon = [](std::uint32_t year, std::uint32_t month, std::uint32_t day) {
    return (((year - 1980) << 9 | month << 5 | day) << 16) | (12u << 11);
  };
  const std::pair<const char*, std::uint32_t> dated[] = {
      {"30-feb-2020", noon(2020, 2, 30)}, {"1-jan-2020", noon(2020, 1, 1)},
      {"29-feb-2024", noon(2024, 2, 29)}, {"29-feb-2021", noon(2021, 2, 29)},
      {"31-apr-2022", noon(2022, 4, 31)}, {"31-dec-2021", noon(2021, 12, 31)},
  };
  TScratchFolder dir;
  TArchiveLayout layout;
  for (const auto& [name, date] : dated) {
    layout.Entries.push_back(StoredEntry(name));
    layout.Entries.back().DosDateTime = date;
  }
  TZipReader reader;
  reader.SetSortMode(TZipSortMode::ByDate);
  reader.SetZipName(dir.Write("dates.zip", BuildArchive(layout)));
  reader.ReadZipDirectory();
  EXPECT_EQ(Names(reader), (std::vector<std::string>{"29-feb-2024", "31-dec-2021", "1-jan-2020", "30-feb-2020",
                                                     "29-feb-2021", "31-apr-2022"}));
}

TEST(CraftedDirectory, ReloadsWhenTheFileChangesAndOnlyThen) {
  TScratchFolder dir;
  TArchiveLayout before, after;
  before.Entries = {StoredEntry("old")};
  after.Entries = {StoredEntry("new-1"), StoredEntry("new-2")};
  const std::string path = dir.Write("book.vlq", BuildArchive(before));
  TZipReader reader;
  reader.SetZipName(path);
  reader.ReadZipDirectory();
  const TZipHeaderInfo* loaded = &reader.Entry(0);
  reader.ReadZipDirectory();
  EXPECT_EQ(&reader.Entry(0), loaded);  // unchanged file: same list

  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  dir.Write("book.vlq", BuildArchive(after));
  reader.ReadZipDirectory();
  EXPECT_EQ(Names(reader), (std::vector<std::string>{"new-1", "new-2"}));
}

TEST(CraftedDirectory, SameNameInOtherCaseKeepsTheDirectory) {
  TScratchFolder dir;
  TArchiveLayout layout;
  layout.Entries = {StoredEntry("x")};
  const std::string path = dir.Write("Book.vlq", BuildArchive(layout));
  TZipReader reader;
  reader.SetZipName(path);
  reader.ReadZipDirectory();
  std::string upper = path;
  upper.replace(upper.size() - 8, 8, "BOOK.VLQ");
  reader.SetZipName(upper);
  EXPECT_EQ(reader.ZipName(), path);
  EXPECT_EQ(reader.EntryCount(), 1);
  reader.SetZipName(path + ".other");
  EXPECT_EQ(reader.EntryCount(), 0);
}

TEST(CraftedDirectory, SecondEndSignatureInTheCommentWins) {
  TScratchFolder dir;
  TArchiveLayout layout;
  layout.Entries = {StoredEntry("a"), StoredEntry("b")};
  // A complete end record claiming an empty archive, followed by more text.
  layout.Comment = U32(0x06054B50) + std::string(18, '\0') + "and then some more comment text";
  TZipReader reader;
  reader.SetZipName(dir.Write("comment.zip", BuildArchive(layout)));
  reader.ReadZipDirectory();
  EXPECT_EQ(reader.EntryCount(), 0);
  EXPECT_EQ(reader.EndCentral().CommentLength, 0);
}

TEST(CraftedDirectory, Zip64EndRecordAndEscapedFields) {
  TScratchFolder dir;
  TArchiveLayout layout;
  layout.Entries = {StoredEntry("one", std::string(300, '1')), StoredEntry("two", "22")};
  layout.Entries[1].Zip64 = true;
  layout.Zip64End = true;
  TZipReader reader;
  reader.SetZipName(dir.Write("zip64.zip", BuildArchive(layout)));
  reader.ReadZipDirectory();
  ASSERT_EQ(reader.EntryCount(), 2);
  EXPECT_TRUE(reader.EndCentral().Zip64End != nullptr);
  EXPECT_EQ(reader.EndCentral().EffectiveTotalEntries(), 2u);
  const TZipHeaderInfo& two = reader.Entry(1);
  EXPECT_EQ(two.UncompressedSize, 0xFFFFFFFFu);
  EXPECT_EQ(two.EffectiveUncompressedSize(), 2u);
  EXPECT_EQ(two.EffectiveLocalHeaderOffset(), 30u + 3 + 300);
  EXPECT_EQ(two.Zip64ExtraLength, 28);
}

TEST(CraftedDirectory, UnicodePathAndAesBlocks) {
  TScratchFolder dir;
  TArchiveLayout layout;
  layout.Entries = {StoredEntry("TECT.TXT"), StoredEntry("secret.bin")};
  const std::string utf8 = "docs/caf\xC3\xA9.txt";
  layout.Entries[0].CentralExtra = ExtraBlock(0x5455, "\x01\x02\x03\x04\x05") +
                                 ExtraBlock(0x7075, std::string("\x01", 1) + U32(0x12345678) + utf8);
  layout.Entries[1].CentralExtra = ExtraBlock(0x9901, U16(2) + "AE" + std::string("\x03", 1) + U16(8));
  std::string archive = BuildArchive(layout);
  // Method 99 on the second central record.
  const auto central = archive.rfind(std::string("PK\x01\x02", 4));
  archive[central + 10] = 99;
  TZipReader reader;
  reader.SetZipName(dir.Write("extras.zip", archive));
  reader.ReadZipDirectory();
  // In the system code page: UTF-8 natively, one byte 0xE9 under Windows-1252.
  EXPECT_EQ(reader.EntryFullName(0), DefaultArchivePlatform().Utf8ToAnsi("docs\\caf\xC3\xA9.txt"));
  EXPECT_EQ(reader.EntryFileName(0).substr(0, 3), "caf");
  ASSERT_TRUE(reader.Entry(0).UnicodePath);
  EXPECT_EQ(reader.Entry(0).UnicodePath->NameCRC, 0x12345678u);
  const TZipHeaderInfo& aes = reader.Entry(1);
  EXPECT_EQ(aes.AesStrength, 3);
  EXPECT_EQ(aes.CompressionMethod, 8);
  ASSERT_TRUE(aes.Aes);
  EXPECT_EQ(aes.Aes->VendorVersion, 2);
}

TEST(CraftedDirectory, AListedEntryCopiesWithEveryField) {
  // One entry with every optional block, its comment read: a copy (as the
  // reader makes of each entry it extracts or rebuilds) must equal it whole.
  TScratchFolder dir;
  TArchiveLayout layout;
  layout.Entries = {StoredEntry("docs/every.bin", "every field")};
  TEntryLayout& e = layout.Entries[0];
  e.Zip64 = true;
  e.Flag = 1;
  e.Comment = "a comment";
  e.CentralExtra = ExtraBlock(0x7075, std::string("\x01", 1) + U32(0x12345678) + "docs/every.bin") +
                   ExtraBlock(0x9901, U16(2) + "AE" + std::string("\x03", 1) + U16(8));
  TZipReader reader;
  reader.SetZipName(dir.Write("every.zip", BuildArchive(layout)));
  reader.ReadZipDirectory();
  EXPECT_EQ(reader.EntryComment(0), "a comment");
  const TZipHeaderInfo& listed = reader.Entry(0);
  ASSERT_TRUE(listed.Zip64 && listed.Aes && listed.UnicodePath && listed.FileCommentRead);
  const TZipHeaderInfo copied(listed);
  EXPECT_TRUE(copied == listed);
  TZipHeaderInfo assigned;
  assigned = listed;
  EXPECT_TRUE(assigned == listed);
  EXPECT_FALSE(assigned == TZipHeaderInfo());
}

TEST(CraftedDirectory, TruncatedExtraBlocksEndTheWalkQuietly) {
  TScratchFolder dir;
  TArchiveLayout layout;
  layout.Entries = {StoredEntry("a"), StoredEntry("b")};
  layout.Entries[0].CentralExtra = U16(0x7075) + U16(200) + "short";
  layout.Entries[1].CentralExtra = U16(0x0001) + U16(8) + "\x01\x02";
  TZipReader reader;
  reader.SetZipName(dir.Write("extras.zip", BuildArchive(layout)));
  reader.ReadZipDirectory();
  EXPECT_EQ(Names(reader), (std::vector<std::string>{"a", "b"}));
}

// Which conversion a stored name gets, by flags, version made by and mode.
TEST(CraftedDirectory, NameConversionModes) {
  struct Case {
    TOEMConvert mode;
    std::uint16_t flag, madeBy;
    const char* name;
    const char* expected;
  } cases[] = {
      {TOEMConvert::oemAlways, 0, 20, "\x8E.txt", "oem-\x8E.txt"},
      {TOEMConvert::oemAlways, 0x800, 20, "\x8E.txt", "utf8-\x8E.txt"},
      {TOEMConvert::oemAlways, 0, 20, "\x8E~b.txt", "utf8-\x8E~b.txt"},  // failed round trip
      {TOEMConvert::oemNever, 0, 20, "\x8E.txt", "utf8-\x8E.txt"},
      {TOEMConvert::oemFlexible, 0, 0x0B14, "\x8E.txt", "utf8-\x8E.txt"},
      {TOEMConvert::oemFlexible, 0, 0x0014, "\x8E.txt", "oem-\x8E.txt"},
      {TOEMConvert::oemAlways, 0, 20, "plain.txt", "plain.txt"},  // ASCII is never converted
  };
  TScratchFolder dir;
  for (const Case& c : cases) {
    TArchiveLayout layout;
    layout.Entries = {StoredEntry(c.name)};
    layout.Entries[0].Flag = c.flag;
    layout.Entries[0].VersionMadeBy = c.madeBy;
    TMemoryPlatform platform;
    platform.TagCodePages = true;
    TZipReader reader(platform);
    reader.SetOEMConvert(c.mode);
    reader.SetZipName(dir.Write("names.zip", BuildArchive(layout)));
    reader.ReadZipDirectory();
    EXPECT_EQ(reader.EntryFullName(0), c.expected) << c.name << " flag " << c.flag;
  }
}

TEST(CraftedDirectory, YieldsOncePerBlockOfRecordsUnlessTold) {
  TScratchFolder dir;
  // The first record yields, then every 256th: a long walk keeps yielding.
  const struct {
    int entries;
    int yields;
  } cases[] = {{3, 1}, {256, 1}, {257, 2}, {600, 3}};
  for (const auto& c : cases) {
    TArchiveLayout layout;
    for (int i = 0; i < c.entries; ++i) layout.Entries.push_back(StoredEntry("e" + std::to_string(i)));
    const std::string path = dir.Write("y.zip", BuildArchive(layout));
    TMemoryPlatform platform;
    {
      TZipReader reader(platform);
      reader.SetZipName(path);
      reader.ReadZipDirectory();
      EXPECT_EQ(reader.EntryCount(), c.entries);
      EXPECT_EQ(platform.Yields, c.yields) << c.entries << " entries";
    }
    platform.Yields = 0;
    TZipReader quiet(platform);
    quiet.SetDoProcessMessages(false);
    quiet.SetZipName(path);
    quiet.ReadZipDirectory();
    EXPECT_EQ(platform.Yields, 0);
  }
}

TEST(CraftedDirectory, IndexErrorsAndFixedVersion) {
  TZipReader reader;
  EXPECT_EQ(reader.EntryCount(), 0);
  try {
    reader.EntryFileName(-1);
    FAIL();
  } catch (const EListError& e) {
    EXPECT_STREQ(e.what(), "Index -1 is out of range");
  }
  EXPECT_THROW(reader.EntryComment(0), EListError);
  reader.SetThisVersion(1);
  reader.SetThisReleaseLevel("Beta");
  EXPECT_EQ(reader.ThisVersion(), 451);
  EXPECT_EQ(reader.ThisBuild(), 1);
  EXPECT_EQ(reader.ThisReleaseLevel(), "Release");
}

TEST(CraftedDirectory, QuestionMarkNameAsksForAFile) {
  TScratchFolder dir;
  TArchiveLayout layout;
  layout.Entries = {StoredEntry("chosen")};
  const std::string path = dir.Write("chosen.zip", BuildArchive(layout));
  TMemoryPlatform platform;
  TZipReader reader(platform);
  try {
    reader.SetZipName("/no/such/folder/?");
    FAIL();
  } catch (const EUserCanceled& e) {
    EXPECT_STREQ(e.what(), "User canceled setting zip file name.");
  }
  EXPECT_EQ(platform.DialogInitialDir, "C:\\");
  platform.DialogAccepts = true;
  platform.DialogChoice = path;
  reader.SetZipName(dir.Path("?"));
  EXPECT_EQ(platform.DialogInitialDir, dir.Path(""));
  EXPECT_EQ(reader.ZipName(), path);
  reader.ReadZipDirectory();
  EXPECT_EQ(reader.EntryFullName(0), "chosen");
}

}  // namespace

namespace {

TEST(CraftedDirectory, ACountWrappedPastSixteenBitsIsReadToTheDirectorysSize) {
  // Written without a Zip64 record, the 16-bit count keeps only the low bits
  // (65,536 entries read as 0, 65,537 as 1); the directory's size still holds them all.
  TScratchFolder dir;
  for (const int entries : {65536, 65537}) {
    TArchiveLayout layout;
    for (int i = 0; i < entries; ++i) layout.Entries.push_back(StoredEntry("f" + std::to_string(i), ""));
    TZipReader reader;
    reader.SetZipName(dir.Write("wrapped.zip", BuildArchive(layout)));
    reader.ReadZipDirectory();
    EXPECT_EQ(reader.EndCentral().TotalEntries, entries & 0xFFFF);
    ASSERT_EQ(reader.EntryCount(), entries);
    EXPECT_EQ(reader.EntryFullName(entries - 1), "f" + std::to_string(entries - 1));
    EXPECT_FALSE(reader.DirectoryRebuilt());
    TMemoryStream stream;
    EXPECT_EQ(reader.UnpackToStream(&stream, "f65535"), 1);
  }
}

}  // namespace
