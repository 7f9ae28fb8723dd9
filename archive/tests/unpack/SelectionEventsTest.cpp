// Which entries a name selects, in what order the events come, and what the
// target stream looks like afterwards.
#include <gtest/gtest.h>

#include "UnpackTestSupport.h"

using namespace unpacktest;

namespace {

class Selection : public ::testing::Test {
protected:
  void SetUp() override {
    TEntryLayout directory = StoredEntry("files/", "");
    path_ = scratch_.Write("book.vlq", BuildArchive({
                                           StoredEntry("BOOK.SWF", "FWS movie"),
                                           directory,
                                           DeflatedEntry("files/a.xml", "0123456789"),
                                           StoredEntry("files/pages/b.jpg", "ABCDE"),
                                           StoredEntry("empty.txt", ""),
                                       }));
    reader_.SetZipName(path_);
  }

  // Records every event as one line.
  void Record() {
    reader_.OnStartUnZipInfo = [this](TZipReader*, int n, std::int64_t total, bool&) {
      log_.push_back("info " + std::to_string(n) + " " + std::to_string(total));
    };
    reader_.OnStartUnZip = [this](TZipReader*, int i, std::string& name, bool&) {
      log_.push_back("start " + std::to_string(i) + " '" + name + "'");
    };
    reader_.OnFilePercentDone = [this](TZipReader*, int p) { log_.push_back("file% " + std::to_string(p)); };
    reader_.OnTotalPercentDone = [this](TZipReader*, int p) { log_.push_back("total% " + std::to_string(p)); };
    reader_.OnEndUnZip = [this](TZipReader*, int i, const std::string& name) {
      log_.push_back("end " + std::to_string(i) + " '" + name + "'");
    };
    reader_.OnUnZipComplete = [this](TZipReader*, int n) { log_.push_back("complete " + std::to_string(n)); };
  }

  TScratchFolder scratch_;
  std::string path_;
  TMemoryPlatform platform_;
  TZipReader reader_{platform_};
  std::vector<std::string> log_;
};

}  // namespace

TEST_F(Selection, NamesMatchWithoutRegardToCase) {
  TWatchedStream stream;
  EXPECT_EQ(reader_.UnpackToStream(&stream, "book.swf"), 1);
  EXPECT_EQ(stream.Contents(), "FWS movie");
  EXPECT_EQ(reader_.UnpackToStream(&stream, "FILES\\A.XML"), 1);
}

TEST_F(Selection, APatternExtractsEveryMatchIntoTheSameStreamInTurn) {
  Record();
  TWatchedStream stream;
  EXPECT_EQ(reader_.UnpackToStream(&stream, "files\\*"), 2);  // the directory entry is not selected
  // Each entry is written from the start: the last one's bytes, then the
  // longer tail of the earlier one.
  EXPECT_EQ(stream.Contents(), "ABCDE56789");
  EXPECT_EQ(stream.Position(), 5);
  const std::vector<std::string> expected = {
      "info 2 15",  "start 2 ''", "file% 100",  "total% 67", "end 2 ''",
      "start 3 ''", "file% 100",  "total% 100", "end 3 ''",  "complete 2",
  };
  EXPECT_EQ(log_, expected);
}

TEST_F(Selection, NothingMatchingLeavesTheStreamAloneButStillReports) {
  Record();
  TWatchedStream stream;
  stream.Write("keep", 4);
  EXPECT_EQ(reader_.UnpackToStream(&stream, "missing.txt"), 0);
  EXPECT_EQ(stream.Contents(), "keep");
  EXPECT_EQ(stream.Writes, 1);
  EXPECT_EQ(log_, (std::vector<std::string>{"info 0 0", "complete 0"}));
}

TEST_F(Selection, BlankNamesAndAbsentStreamsDoNothingAtAll) {
  Record();
  TWatchedStream stream;
  for (const char* name : {"", "   ", "\t"}) EXPECT_EQ(reader_.UnpackToStream(&stream, name), 0);
  EXPECT_EQ(reader_.UnpackToStream(nullptr, "book.swf"), 0);
  EXPECT_TRUE(log_.empty());
  EXPECT_EQ(stream.Writes, 0);
  EXPECT_EQ(platform_.Yields, 0);
}

TEST_F(Selection, StopNowAndSkipExtractNothing) {
  TWatchedStream stream;
  reader_.OnStartUnZipInfo = [](TZipReader*, int, std::int64_t, bool& stop) { stop = true; };
  EXPECT_EQ(reader_.UnpackToStream(&stream, "*"), 0);
  reader_.OnStartUnZipInfo = nullptr;
  reader_.OnStartUnZip = [](TZipReader*, int, std::string&, bool& skip) { skip = true; };
  EXPECT_EQ(reader_.UnpackToStream(&stream, "*"), 0);
  EXPECT_EQ(stream.Writes, 0);
  EXPECT_EQ(stream.LargestSizeSet, 0);
}

TEST_F(Selection, TheStreamKeepsItsSizeAndEndsJustAfterTheEntry) {
  TWatchedStream stream;
  const std::string before = "longer text already here";
  stream.Write(before.data(), before.size());
  stream.SetPosition(7);  // the start position does not matter
  EXPECT_EQ(reader_.UnpackToStream(&stream, "files\\pages\\b.jpg"), 1);
  EXPECT_EQ(stream.Contents(), "ABCDE" + before.substr(5));
  EXPECT_EQ(stream.Position(), 5);

  TWatchedStream empty;
  EXPECT_EQ(reader_.UnpackToStream(&empty, "empty.txt"), 1);
  EXPECT_EQ(empty.Size(), 0);
  EXPECT_EQ(empty.Position(), 0);
}

TEST_F(Selection, YieldsOncePerSelectionBlockAndOncePerDataBlock) {
  TWatchedStream stream;
  reader_.ReadZipDirectory();
  // A plain name is looked up, a pattern walks five entries (one block);
  // either way one block of data is read.
  for (const char* name : {"book.swf", "*.swf"}) {
    platform_.Yields = 0;
    EXPECT_EQ(reader_.UnpackToStream(&stream, name), 1) << name;
    EXPECT_EQ(platform_.Yields, 1 + 1) << name;
  }
  platform_.Yields = 0;
  reader_.SetDoProcessMessages(false);
  EXPECT_EQ(reader_.UnpackToStream(&stream, "book.swf"), 1);
  EXPECT_EQ(platform_.Yields, 0);
}

namespace {

// One entry asked for reads about as much as it takes in the archive; a pass
// over many reads the archive in whole buffers, not entry by entry.
TEST(ExtractionReads, OneEntryReadsItsOwnBytesAndAPassReadsWholeBuffers) {
  std::vector<TEntryLayout> entries;
  for (int i = 0; i < 300; ++i) entries.push_back(StoredEntry("pages/p" + std::to_string(i) + ".txt", "page text"));
  const Bytes archive = BuildArchive(entries);
  TMemoryPlatform platform;
  platform.PutFile("book.vlq", archive);
  TZipReader reader(platform);
  reader.SetZipName("book.vlq");
  reader.ReadZipDirectory();

  TMemoryStream stream;
  platform.Reads.clear();
  ASSERT_EQ(reader.UnpackToStream(&stream, "pages\\p150.txt"), 1);
  ASSERT_EQ(platform.Reads.size(), 1u);
  EXPECT_LT(platform.Reads[0], 200u);  // header, name, nine bytes and a little slack

  platform.Reads.clear();
  ASSERT_EQ(reader.UnpackEntriesToStream(&stream, 0, 300), 300);
  std::size_t bytes = 0;
  for (const std::size_t n : platform.Reads) bytes += n;
  EXPECT_LE(platform.Reads.size(), archive.size() / TZipReader::StreamBufferSize + 2);
  EXPECT_LT(bytes, archive.size());
}

}  // namespace
