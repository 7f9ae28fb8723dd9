// Archives without a usable end record or central directory.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "TestSupport.h"
#include "ZipReader.h"

using namespace testsupport;

namespace {

const std::vector<std::string> kBookNames{"book.swf",       "files\\",       "files\\config.xml",
                                          "files\\book.bin", "files\\pages\\", "files\\pages\\001.jpg"};

TEST(Damaged, CutEndRecordIsRebuiltFromLocalHeadersWhenAssumedBad) {
  for (const char* name : {"cut.zip", "cut-central.zip", "stub.exe"}) {
    SCOPED_TRACE(name);
    TZipReader reader;
    reader.SetIncompleteZipMode(TIncompleteZipMode::izAssumeBad);
    reader.SetZipName(FixturePath(name));
    reader.ReadZipDirectory();
    EXPECT_EQ(Names(reader), kBookNames);
    EXPECT_TRUE(reader.DirectoryRebuilt());
    EXPECT_TRUE(reader.ArchiveDamaged());
  }
  // The central records after the last local header were merged in.
  TZipReader merged;
  merged.SetIncompleteZipMode(TIncompleteZipMode::izAssumeBad);
  merged.SetZipName(FixturePath("cut.zip"));
  merged.ReadZipDirectory();
  EXPECT_NE(merged.Entry(0).VersionMadeBy, 0);
  EXPECT_EQ(merged.Entry(0).EffectiveLocalHeaderOffset(), 0u);
}

// A local header whose Zip64 size would carry the walk past the end of the
// address range, back to the header itself: the rebuild must still end.
TEST(Damaged, ASizeThatWrapsAroundEndsTheRebuild) {
  TScratchFolder dir;
  const std::string name = "a";
  const std::uint64_t dataStart = 30 + name.size() + 20;
  for (const std::uint64_t size : {~dataStart + 1, ~std::uint64_t{0}, ~std::uint64_t{0} - 15 - dataStart}) {
    SCOPED_TRACE(size);
    const std::string extra = ExtraBlock(0x0001, U64(size) + U64(size));
    const std::string header = "PK" + std::string("\x03\x04", 2) + U16(20) + U16(0) + U16(0) + U32(0) + U32(0) +
                               U32(0xFFFFFFFFu) + U32(0xFFFFFFFFu) + U16(static_cast<std::uint16_t>(name.size())) +
                               U16(static_cast<std::uint16_t>(extra.size())) + name + extra;
    TZipReader reader;
    reader.SetIncompleteZipMode(TIncompleteZipMode::izAssumeBad);
    reader.SetZipName(dir.Write("wrap.zip", header + std::string(64, 'x')));
    try {
      reader.ReadZipDirectory();
    } catch (const EZipReaderException&) {
    }
    EXPECT_LE(reader.EntryCount(), 1);
  }
}

TEST(Damaged, CutEndRecordUnderDefaultModeListsNothing) {
  TZipReader reader;
  reader.SetZipName(FixturePath("cut.zip"));
  EXPECT_NO_THROW(reader.ReadZipDirectory());
  EXPECT_EQ(reader.EntryCount(), 0);
  EXPECT_FALSE(reader.DirectoryRebuilt());
}

TEST(Damaged, ExeScanStartsAt14000) {
  TZipReader reader;
  reader.SetIncompleteZipMode(TIncompleteZipMode::izAssumeBad);
  reader.SetZipName(FixturePath("nostub.exe"));
  try {
    reader.ReadZipDirectory();
    FAIL();
  } catch (const EBadZipFile& e) {
    EXPECT_STREQ(e.what(), "Not a valid zip file!");
  }
  EXPECT_EQ(reader.ZipName(), "");
}

TEST(Damaged, ScanSkipsHeadersNeedingAVersionOf2560OrMore) {
  TScratchFolder dir;
  TArchiveLayout layout;
  layout.Entries = {StoredEntry("skipped"), StoredEntry("found")};
  layout.Entries[0].VersionNeeded = 0x0A14;
  std::string bytes = BuildArchive(layout);
  bytes.resize(bytes.size() - 22);
  TZipReader reader;
  reader.SetIncompleteZipMode(TIncompleteZipMode::izAssumeBad);
  reader.SetZipName(dir.Write("v.zip", bytes));
  reader.ReadZipDirectory();
  EXPECT_EQ(Names(reader), (std::vector<std::string>{"found"}));
}

TEST(Damaged, TwoRecordsAtOneOffsetTriggerTheScan) {
  TScratchFolder dir;
  TArchiveLayout layout;
  layout.Entries = {StoredEntry("a"), StoredEntry("b"), StoredEntry("c")};
  layout.Entries[2].OffsetOverride = 0;  // claims the local header of "a"
  TZipReader reader;
  reader.SetZipName(dir.Write("dup.zip", BuildArchive(layout)));
  reader.ReadZipDirectory();
  EXPECT_TRUE(reader.DirectoryRebuilt());
  // The scan finds all three local headers; central records are then merged
  // by offset, so the record that lied about its offset lands on "a"'s.
  const auto names = Names(reader);
  ASSERT_EQ(names.size(), 3u);
  EXPECT_EQ(names[1], "b");
  EXPECT_EQ(names[2], "c");
}

// A rebuilt directory describes one state of the file: when the file changes
// on disk, the next load starts from nothing, scan included.
TEST(Damaged, ReloadAfterARebuildReadsTheNewFileAfresh) {
  const auto archive = [](std::vector<std::string> names, bool damaged) {
    TArchiveLayout layout;
    for (const std::string& name : names) layout.Entries.push_back(StoredEntry(name));
    if (damaged) layout.Entries.back().OffsetOverride = 0;  // two records at one offset
    return BuildArchive(layout);
  };
  TScratchFolder dir;
  const std::string path = dir.Write("book.vlq", archive({"a", "b", "c"}, true));
  TZipReader reader;
  reader.SetZipName(path);
  reader.ReadZipDirectory();
  ASSERT_TRUE(reader.DirectoryRebuilt());

  struct Step {
    std::vector<std::string> names;
    bool damaged;
  };
  const Step steps[] = {{{"d", "e", "f", "g"}, true}, {{"x", "y"}, false}, {{"p", "q", "r"}, true}};
  for (const Step& step : steps) {
    SCOPED_TRACE(step.names.front());
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    dir.Write("book.vlq", archive(step.names, step.damaged));
    reader.ReadZipDirectory();
    EXPECT_EQ(reader.DirectoryRebuilt(), step.damaged);
    const auto names = Names(reader);
    ASSERT_EQ(names.size(), step.names.size());
    // The lying record lands on the first entry's offset; the others keep their names.
    for (std::size_t i = 1; i < names.size(); ++i) EXPECT_EQ(names[i], step.names[i]);
  }
}

TEST(Damaged, UnreadableCentralDirectoryWithoutLocalHeadersIsNotAZip) {
  TScratchFolder dir;
  // An end record that points at a central directory that is not there.
  const std::string bytes = std::string(100, 'x') + U32(0x06054B50) + U16(0) + U16(0) + U16(3) + U16(3) +
                            U32(46 * 3) + U32(10) + U16(0);
  TZipReader reader;
  reader.SetZipName(dir.Write("broken.zip", bytes));
  try {
    reader.ReadZipDirectory();
    FAIL();
  } catch (const EBadZipFile& e) {
    EXPECT_STREQ(e.what(), "Not a valid zip file!");
  }
  EXPECT_EQ(reader.EntryCount(), 0);
}

TEST(Damaged, IncompleteHandlerMayChangeTheModeOrSupplyTheFile) {
  TScratchFolder dir;
  TArchiveLayout layout;
  layout.Entries = {StoredEntry("late")};
  std::string cut = BuildArchive(layout);
  cut.resize(cut.size() - 22);
  TZipReader reader;
  int calls = 0;
  // Asked on every attempt; the second time it gives up on the missing part.
  reader.OnInCompleteZip = [&](TZipReader*, TIncompleteZipMode& mode) {
    EXPECT_EQ(mode, calls == 0 ? TIncompleteZipMode::izAssumeMulti : mode);
    if (++calls == 2) mode = TIncompleteZipMode::izAssumeBad;
  };
  reader.SetZipName(dir.Write("late.zip", cut));
  reader.ReadZipDirectory();
  EXPECT_EQ(calls, 2);
  EXPECT_EQ(Names(reader), (std::vector<std::string>{"late"}));

  TZipReader refusing;
  refusing.OnInCompleteZip = [](TZipReader*, TIncompleteZipMode& mode) {
    mode = TIncompleteZipMode::izAssumeNotAZip;
  };
  refusing.SetZipName(dir.Write("text.vlq", "plain text, no archive"));
  EXPECT_THROW(refusing.ReadZipDirectory(), ENotAZipFile);
  EXPECT_EQ(refusing.IncompleteZipMode(), TIncompleteZipMode::izAssumeNotAZip);
}

TEST(Damaged, SideFileSuppliesTheDirectory) {
  TScratchFolder dir;
  TArchiveLayout layout;
  layout.Entries = {StoredEntry("one", "1111"), StoredEntry("two", "22")};
  layout.Comment = "set comment";
  const std::string whole = BuildArchive(layout);
  const auto central = whole.find(std::string("PK\x01\x02", 4));
  dir.Write("book.zip", whole.substr(0, central));  // local headers only
  dir.Write("book.zfc", whole.substr(central));     // directory from offset 0, then the end record
  TZipReader reader;
  reader.SetZipName(dir.Path("book.zip"));
  reader.ReadZipDirectory();
  EXPECT_EQ(Names(reader), (std::vector<std::string>{"one", "two"}));
  EXPECT_EQ(reader.Entry(1).EffectiveLocalHeaderOffset(), 30u + 3 + 4);
  EXPECT_EQ(reader.ArchiveComment(), "set comment");
  EXPECT_FALSE(reader.DirectoryRebuilt());
}

}  // namespace

namespace {

// End records that promise what the file does not hold. Each read ends in
// entries or in one of the reader's exceptions; sanitizers watch the rest.
TEST(Damaged, HostileEndRecordsEndInAnAnswer) {
  auto endRecord = [](std::uint16_t disk, std::uint16_t startDisk, std::uint16_t entries, std::uint32_t size,
                      std::uint32_t offset) {
    return U32(0x06054B50) + U16(disk) + U16(startDisk) + U16(entries) + U16(entries) + U32(size) + U32(offset) +
           U16(0);
  };
  auto zip64 = [](std::uint32_t disk, std::uint32_t startDisk, std::uint64_t entries, std::uint64_t offset) {
    const std::string record = U32(0x06064B50) + U64(44) + U16(45) + U16(45) + U32(disk) + U32(startDisk) +
                               U64(entries) + U64(entries) + U64(0) + U64(offset);
    return record + U32(0x07064B50) + U32(0) + U64(0) + U32(1);
  };
  const std::string escaped = endRecord(0xFFFF, 0xFFFF, 0xFFFF, 0xFFFFFFFF, 0xFFFFFFFF);
  const std::vector<std::string> files = {
      endRecord(0, 0, 65535, 46, 0),                          // many entries, no records
      endRecord(0, 0, 3, 0, 0xFFFFFFF0),                      // directory far beyond the end
      zip64(0, 0, 1ull << 62, 0) + escaped,                   // Zip64 count of 2^62
      zip64(0xFFFFFFFF, 0x7FFFFFFF, 5, 0) + escaped,          // parts beyond any name
      U32(0x07064B50) + U32(0) + U64(1ull << 40) + U32(1) + escaped,  // locator beyond the end
      endRecord(3, 9, 1, 0, 0),                               // starts on a later disk than its own
  };
  TScratchFolder dir;
  for (std::size_t i = 0; i < files.size(); ++i) {
    for (TIncompleteZipMode mode : {TIncompleteZipMode::izAssumeMulti, TIncompleteZipMode::izAssumeBad}) {
      SCOPED_TRACE(i);
      TZipReader reader;
      reader.SetIncompleteZipMode(mode);
      reader.SetZipName(dir.Write("hostile" + std::to_string(i) + ".zip", files[i]));
      try {
        reader.ReadZipDirectory();
        EXPECT_LE(reader.EntryCount(), 1);
      } catch (const EZipReaderException&) {
      } catch (const EFOpenError&) {  // a part that does not exist
      }
    }
  }
}

}  // namespace
