// Sets split into parts side by side (zip -s) and spanned over removable disks.
#include <gtest/gtest.h>

#include <filesystem>

#include "TestSupport.h"
#include "ZipReader.h"

using namespace testsupport;

namespace {

constexpr int kSplitEntries = 1203;  // book.swf, files\, files\pages\ and 1200 pages
constexpr int kSplitParts = 8;

std::string LastSplitPart() { return FixturePath("split/book.zip"); }

// Where disk n of the spanned set is found (all parts of a real spanned set
// carry one name; here the split parts stand in for the disks).
std::string SpannedDisk(int disk) {
  return disk == kSplitParts ? "A:\\book.zip" : "A:\\book.z0" + std::to_string(disk);
}

void ExpectWholeSet(const TZipReader& reader) {
  ASSERT_EQ(reader.EntryCount(), kSplitEntries);
  EXPECT_EQ(reader.NumberOfDisks(), kSplitParts);
  EXPECT_EQ(reader.EntryFullName(0), "book.swf");
  EXPECT_EQ(reader.Entry(0).EffectiveUncompressedSize(), 70000u);
  int pages = 0;
  for (int i = 0; i < reader.EntryCount(); ++i) {
    const std::string name = reader.EntryFullName(i);
    if (name.rfind("files\\pages\\page-", 0) == 0 && name.size() == 17 + 4 + 1 + 40 + 4) ++pages;
    if (i > 0) {
      const auto& a = reader.Entry(i - 1);
      const auto& b = reader.Entry(i);
      EXPECT_TRUE(a.EffectiveDiskStart() < b.EffectiveDiskStart() ||
                  (a.EffectiveDiskStart() == b.EffectiveDiskStart() &&
                   a.EffectiveLocalHeaderOffset() < b.EffectiveLocalHeaderOffset()));
    }
  }
  EXPECT_EQ(pages, 1200);
}

TEST(MultiPart, StandardSplitNamesAreFollowed) {
  TZipReader reader;
  reader.SetZipName(LastSplitPart());
  reader.ReadZipDirectory();
  EXPECT_EQ(reader.MultiDiskMode(), TZipMultiDiskMode::mdBlocks);
  ExpectWholeSet(reader);
}

TEST(MultiPart, ClassicNamesAndTheNamingEvent) {
  TZipReader classic;
  classic.SetBlockMode(TBlockMode::bmClassic);
  classic.SetZipName(FixturePath("classic/book.008"));
  classic.ReadZipDirectory();
  ExpectWholeSet(classic);

  // The event names every part; the directory here crosses several parts.
  TZipReader named;
  std::vector<std::pair<int, TSplitPartType>> asked;
  named.OnFileNameForSplitPart = [&](TZipReader*, std::string& name, int part, TSplitPartType type) {
    asked.emplace_back(part, type);
    EXPECT_EQ(name, FixturePath("split/book"));
    name = FixturePath("classic/book.00" + std::to_string(part));
  };
  named.SetZipName(LastSplitPart());
  named.ReadZipDirectory();
  ExpectWholeSet(named);
  ASSERT_GE(asked.size(), 2u);
  for (std::size_t i = 1; i < asked.size(); ++i) EXPECT_EQ(asked[i].first, asked[i - 1].first + 1);
  for (const auto& [part, type] : asked)
    EXPECT_EQ(type, part == 1 ? TSplitPartType::spFirst
                              : part == kSplitParts ? TSplitPartType::spLast : TSplitPartType::spMiddle);
}

TEST(MultiPart, MissingPartRaisesTheOpenError) {
  TScratchFolder dir;
  std::filesystem::copy_file(LastSplitPart(), dir.Path("book.zip"));
  TZipReader reader;
  reader.SetZipName(dir.Path("book.zip"));
  EXPECT_THROW(reader.ReadZipDirectory(), EFOpenError);
  EXPECT_EQ(reader.EntryCount(), 0);
}

// A spanned set: every part sits on its own disk in drive A:.
class Spanned : public ::testing::Test {
protected:
  void SetUp() override {
    platform.DriveFolder = FixturePath("split");
    platform.Drive = TDriveType::Removable;
  }
  TMemoryPlatform platform;
};

TEST_F(Spanned, NextDiskEventSuppliesEachPart) {
  TZipReader reader(platform);
  reader.SetCheckDiskLabel(false);
  std::vector<int> disks;
  reader.OnGetNextDisk = [&](TZipReader*, int disk, std::string& name) {
    disks.push_back(disk);
    name = SpannedDisk(disk);
  };
  reader.SetZipName("A:\\book.zip");
  reader.ReadZipDirectory();
  EXPECT_EQ(reader.MultiDiskMode(), TZipMultiDiskMode::mdSpanned);
  ExpectWholeSet(reader);
  ASSERT_FALSE(disks.empty());
}

TEST_F(Spanned, WrongVolumeLabelAsksAgain) {
  TZipReader reader(platform);
  int calls = 0;
  reader.OnGetNextDisk = [&](TZipReader*, int disk, std::string& name) {
    // The first offer of every disk has the wrong label.
    platform.Label = (++calls % 2 == 1) ? "WRONG" : "BACKUP" + std::string(disk < 10 ? "00" : "0") + std::to_string(disk);
    name = SpannedDisk(disk);
  };
  reader.SetZipName("A:\\book.zip");
  reader.ReadZipDirectory();
  ExpectWholeSet(reader);
  EXPECT_EQ(calls % 2, 0);
  EXPECT_GE(calls, 2);
}

TEST_F(Spanned, RefusedDiskCancels) {
  {
    TZipReader reader(platform);
    std::vector<int> ids;
    std::string text;
    reader.OnHandleMessage = [&](TZipReader*, int id, const std::string& message, const std::string&, unsigned flags,
                                 int& result) {
      ids.push_back(id);
      text = message;
      EXPECT_EQ(flags, MessageBoxFlags::OkCancel);
      result = MessageBoxFlags::IdCancel;
    };
    reader.SetZipName("A:\\book.zip");
    try {
      reader.ReadZipDirectory();
      FAIL();
    } catch (const EUserCanceled& e) {
      EXPECT_STREQ(e.what(), "User canceled loading new disk.");
    }
    EXPECT_EQ(ids, std::vector<int>{184});
    EXPECT_EQ(text.rfind("Please insert disk ", 0), 0u);
    EXPECT_NE(text.find(" of the multi-disk set."), std::string::npos);
  }
  // Without a handler the platform's message box asks.
  TZipReader reader(platform);
  reader.SetZipName("A:\\book.zip");
  EXPECT_THROW(reader.ReadZipDirectory(), EUserCanceled);
  EXPECT_EQ(platform.Messages, 1);
}

}  // namespace
