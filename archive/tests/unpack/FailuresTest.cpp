// What extraction does with damaged, hostile or unusual archives and targets.
#include <gtest/gtest.h>

#include "UnpackEntryIo.h"
#include "UnpackTestSupport.h"

using namespace unpacktest;

namespace {

class Failures : public ::testing::Test {
protected:
  std::string Archive(const std::vector<TEntryLayout>& entries) {
    return scratch_.Write("case" + std::to_string(count_++) + ".zip", BuildArchive(entries));
  }
  TScratchFolder scratch_;
  int count_ = 0;
};

template <typename E>
std::string MessageOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const E& e) {
    return e.Message();
  }
  return "(nothing raised)";
}

}  // namespace

TEST_F(Failures, AFileThatIsNoArchiveReadsAsEmptyButCannotBeExtractedFrom) {
  TZipReader reader;
  reader.SetZipName(scratch_.Write("notes.vlq", "This is a text file, not a book.\r\n"));
  reader.ReadZipDirectory();
  EXPECT_EQ(reader.EntryCount(), 0);
  TWatchedStream stream;
  EXPECT_EQ(MessageOf<EIncompleteZip>([&] { reader.UnpackToStream(&stream, "book.swf"); }), "Incomplete Zip File");
}

TEST_F(Failures, CorruptDeflateDataRaisesAndTheReaderStaysUsable) {
  TEntryLayout bad = DeflatedEntry("bad.bin", SampleData(200000, 3));
  bad.Data[0] |= 0x06;  // block type 3, which does not exist
  TEntryLayout cut = DeflatedEntry("cut.bin", SampleData(200000, 4));
  cut.Data.resize(cut.Data.size() / 2);  // the deflate stream ends early
  TZipReader reader;
  int completions = 0;
  reader.OnUnZipComplete = [&](TZipReader*, int) { ++completions; };
  reader.SetZipName(Archive({bad, cut, StoredEntry("good.txt", "fine")}));
  TWatchedStream stream;
  EXPECT_EQ(MessageOf<EZCompressionError>([&] { reader.UnpackToStream(&stream, "bad.bin"); }), "error");
  EXPECT_EQ(MessageOf<EZCompressionError>([&] { reader.UnpackToStream(&stream, "cut.bin"); }), "error");
  EXPECT_EQ(completions, 2);
  TWatchedStream next;
  EXPECT_EQ(reader.UnpackToStream(&next, "good.txt"), 1);
  EXPECT_FALSE(reader.Busy());
}

TEST_F(Failures, AnEntryRunningPastTheEndOfTheFileIsPrematureEnd) {
  for (std::uint16_t method : {0, 8}) {
    TEntryLayout entry =
        method == 0 ? StoredEntry("page.jpg", SampleData(5000, 5)) : DeflatedEntry("page.jpg", SampleData(5000, 5));
    entry.CompressedSize = 100000;  // far beyond the end of the file
    TZipReader reader;
    reader.SetZipName(Archive({entry}));
    TWatchedStream stream;
    EXPECT_EQ(MessageOf<EFatalUnzipError>([&] { reader.UnpackToStream(&stream, "page.jpg"); }),
              "Premature end of file reached")
        << "method " << method;
  }
}

TEST_F(Failures, ACutOffEndRecordNeedsTheAssumeBadMode) {
  const Bytes whole =
      BuildArchive({DeflatedEntry("book.swf", SampleData(30000, 6)), StoredEntry("files/book.bin", "<book/>")});
  const std::string path = scratch_.Write("cut.vlq", whole.substr(0, whole.size() - 22));

  TZipReader plain;
  plain.SetZipName(path);
  plain.ReadZipDirectory();
  EXPECT_EQ(plain.EntryCount(), 0);
  TWatchedStream stream;
  EXPECT_EQ(MessageOf<EIncompleteZip>([&] { plain.UnpackToStream(&stream, "book.swf"); }), "Incomplete Zip File");

  // Rebuilt from the local headers, with or without the central directory
  // after them; a streamed archive's sizes come from its data descriptors.
  enum { kSized, kSignedDescriptors, kUnsignedDescriptors };
  for (const int writing : {kSized, kSignedDescriptors, kUnsignedDescriptors}) {
    TEntryLayout movie = DeflatedEntry("book.swf", SampleData(30000, 6));
    TEntryLayout list = StoredEntry("files/book.bin", "<book/>");
    movie.Streamed = list.Streamed = writing != kSized;
    movie.DescriptorSigned = list.DescriptorSigned = writing == kSignedDescriptors;
    const Bytes archive = BuildArchive({movie, list, StoredEntry("end.txt", "last")});
    const std::size_t centralStart = archive.find("PK\x01\x02");
    for (const std::size_t cutTo : {archive.size() - 22, centralStart}) {
      const std::string cutPath = scratch_.Write("cut" + std::to_string(count_++) + ".vlq", archive.substr(0, cutTo));
      SCOPED_TRACE("writing " + std::to_string(writing) + ", cut at " + std::to_string(cutTo));
      TZipReader bad;
      bad.SetIncompleteZipMode(TIncompleteZipMode::izAssumeBad);
      bad.SetZipName(cutPath);
      bad.ReadZipDirectory();
      EXPECT_EQ(bad.EntryCount(), 3);
      TWatchedStream movieOut, listOut, lastOut;
      EXPECT_EQ(bad.UnpackToStream(&movieOut, "book.swf"), 1);
      EXPECT_EQ(movieOut.Contents(), SampleData(30000, 6));
      EXPECT_EQ(bad.UnpackToStream(&listOut, "files\\book.bin"), 1);
      EXPECT_EQ(listOut.Contents(), "<book/>");
      EXPECT_EQ(bad.UnpackToStream(&lastOut, "end.txt"), 1);
    }
  }
}

TEST_F(Failures, UnknownMethodsShowOneMessageAndFailTheEntry) {
  for (std::uint16_t method : {9, 12, 14}) {
    TEntryLayout entry = StoredEntry("data.bin", "some compressed bytes");
    entry.Method = method;
    TZipReader reader;
    reader.SetZipName(Archive({entry}));
    std::vector<std::string> messages;
    reader.OnHandleMessage = [&](TZipReader*, int id, const std::string& text, const std::string& caption,
                                 unsigned flags, int& answer) {
      messages.push_back(std::to_string(id) + " " + text + " / " + caption + " / " + std::to_string(flags));
      answer = MessageBoxFlags::IdOk;
    };
    int badCrc = 0;
    reader.OnBadCRC = [&](TZipReader*, std::uint32_t, std::uint32_t, int) { ++badCrc; };
    TWatchedStream stream;
    EXPECT_EQ(reader.UnpackToStream(&stream, "data.bin"), 0);
    EXPECT_EQ(messages, std::vector<std::string>{"197 Unknown Compression Method / Zip Error / 0"});
    EXPECT_EQ(badCrc, 1);
    EXPECT_EQ(stream.Size(), 0);  // not even reserved
  }
}

TEST_F(Failures, CrcMismatchKeepsTheBytesButDoesNotCount) {
  TEntryLayout wrongCrc = StoredEntry("a.txt", "checked bytes");
  wrongCrc.Crc ^= 1;
  // A recorded CRC of 0 is no exemption for an entry whose bytes do not have that CRC.
  TEntryLayout zeroCrc = StoredEntry("b.txt", "unchecked?");
  zeroCrc.Crc = 0;
  TZipReader reader;
  reader.SetZipName(Archive({wrongCrc, zeroCrc}));
  std::vector<std::string> reports;
  reader.OnBadCRC = [&](TZipReader*, std::uint32_t calc, std::uint32_t stored, int index) {
    reports.push_back(std::to_string(index) + ":" + std::to_string(calc) + "/" + std::to_string(stored));
  };
  TWatchedStream a, b;
  EXPECT_EQ(reader.UnpackToStream(&a, "a.txt"), 0);
  EXPECT_EQ(a.Contents(), "checked bytes");
  EXPECT_EQ(reader.UnpackToStream(&b, "b.txt"), 0);
  EXPECT_EQ(b.Contents(), "unchecked?");
  EXPECT_EQ(reports, (std::vector<std::string>{
                         "0:" + std::to_string(Crc32("checked bytes")) + "/" + std::to_string(wrongCrc.Crc),
                         "1:" + std::to_string(Crc32("unchecked?")) + "/0"}));
}

// A record may claim any size; a memory target must not be made that large
// before the bytes exist.
TEST_F(Failures, AHugeAnnouncedSizeReservesNoMoreThanTheDataCanYield) {
  const Bytes content = SampleData(3000, 7);
  TEntryLayout stored = StoredEntry("stored.bin", content);
  TEntryLayout deflated = DeflatedEntry("deflated.bin", content);
  stored.UncompressedSize = deflated.UncompressedSize = 0xFFFFFFF0;
  TZipReader reader;
  reader.SetZipName(Archive({stored, deflated}));
  TWatchedStream s1, s2;
  EXPECT_EQ(reader.UnpackToStream(&s1, "stored.bin"), 1);
  EXPECT_LE(s1.LargestSizeSet, static_cast<std::int64_t>(content.size()));
  EXPECT_EQ(reader.UnpackToStream(&s2, "deflated.bin"), 1);
  EXPECT_LE(s2.LargestSizeSet, static_cast<std::int64_t>(deflated.Data.size() * 1032));
  EXPECT_EQ(s2.Contents(), content);  // what was reserved and not filled is given back
}

// Reserving is an optimisation: a target that cannot take the whole size at
// once still receives the entry as it arrives.
TEST_F(Failures, ATargetThatCannotReserveTheSizeStillGetsTheEntry) {
  const Bytes content = SampleData(200000, 10);
  TZipReader reader;
  reader.SetZipName(Archive({DeflatedEntry("big.bin", content)}));
  TWatchedStream stream;
  stream.SizeLimit = 1000;
  EXPECT_EQ(reader.UnpackToStream(&stream, "big.bin"), 1);
  EXPECT_EQ(stream.Contents(), content);
}

TEST_F(Failures, OutputBeyondTheAnnouncedSizeStopsTheEntry) {
  const Bytes content = SampleData(100000, 8);
  TEntryLayout stored = StoredEntry("stored.bin", content);
  TEntryLayout deflated = DeflatedEntry("deflated.bin", content);
  stored.UncompressedSize = deflated.UncompressedSize = 40000;
  TZipReader reader;
  reader.SetZipName(Archive({stored, deflated}));
  for (const char* name : {"stored.bin", "deflated.bin"}) {
    int badCrc = 0;
    reader.OnBadCRC = [&](TZipReader*, std::uint32_t, std::uint32_t, int) { ++badCrc; };
    TWatchedStream stream;
    EXPECT_EQ(reader.UnpackToStream(&stream, name), 0) << name;
    const auto written = static_cast<std::size_t>(stream.Position());
    EXPECT_GT(written, 0u) << name;
    EXPECT_LE(written, 40000u) << name;
    EXPECT_LE(stream.Size(), 40000) << name;
    EXPECT_EQ(stream.Contents().substr(0, written), content.substr(0, written)) << name;
    EXPECT_EQ(badCrc, 1) << name;
  }
}

// A bomb whose record claims a small size, with the CRC of just that many
// bytes: decoding stops at the claim, long before the deflate data ends, and
// the entry fails although the bytes it got match the CRC.
TEST_F(Failures, ADeflateBombThatUnderstatesItsSizeIsStoppedThereAndFails) {
  constexpr std::uint64_t kClaimed = 3 * TEntryInput::BlockSize;  // whole blocks: all of them arrive
  TEntryLayout bomb;
  bomb.Name = "files/config.xml";
  bomb.Method = 8;
  bomb.Data = RawDeflateZeros(std::uint64_t{256} << 20);
  bomb.UncompressedSize = kClaimed;
  bomb.Crc = Crc32(Bytes(kClaimed, '\0'));
  TMemoryPlatform platform;
  platform.SystemFiles = false;
  platform.PutFile("bomb.vlq", BuildArchive({bomb}));
  TZipReader reader(platform);
  reader.SetZipName("bomb.vlq");
  int badCrc = 0;
  reader.OnBadCRC = [&](TZipReader*, std::uint32_t, std::uint32_t, int) { ++badCrc; };
  int blocksRead = -1;  // one yield before each block of the entry's data
  reader.OnStartUnZip = [&](TZipReader*, int, std::string&, bool&) { blocksRead = 0; };
  platform.DuringYield = [&] {
    if (blocksRead >= 0) ++blocksRead;
  };
  TWatchedStream stream;
  EXPECT_EQ(reader.UnpackToStream(&stream, "files\\config.xml"), 0);
  EXPECT_EQ(badCrc, 1);
  EXPECT_LE(stream.Size(), static_cast<std::int64_t>(kClaimed));
  EXPECT_LE(stream.LargestSizeSet, static_cast<std::int64_t>(kClaimed));
  const auto dataBlocks = static_cast<int>(bomb.Data.size() / TEntryInput::BlockSize);
  EXPECT_GT(dataBlocks, 6);
  EXPECT_LE(blocksRead, 1) << "of " << dataBlocks;
}

TEST_F(Failures, AShortWriteToTheTargetRaises) {
  TZipReader reader;
  reader.SetZipName(Archive({StoredEntry("a.txt", SampleData(1000, 9))}));
  TWatchedStream stream;
  stream.WriteLimit = 10;
  EXPECT_EQ(MessageOf<ECantWriteUCF>([&] { reader.UnpackToStream(&stream, "a.txt"); }), "Cant write uncompressed file");
}
