// What a handler run from the reader's yield may do to the same reader in the
// middle of an extraction or of a directory load, and what each side gets.
// The yield is where the message loop runs a key, a menu command or the
// player's next request; the reader is the one the window holds for its book.
#include <gtest/gtest.h>

#include <functional>

#include "ChecksumStream.h"
#include "UnpackTestSupport.h"

using namespace unpacktest;

namespace {

const Bytes kPage = SampleData(600000, 21);  // deflated to several input blocks
const Bytes kOther = SampleData(90000, 22);
const Bytes kNewPage = SampleData(70000, 23);

Bytes Book() {
  return BuildArchive({DeflatedEntry("book.swf", SampleData(3000, 24)), DeflatedEntry("pages/001.bin", kPage),
                       StoredEntry("pages/002.bin", kOther)});
}

Bytes ChangedBook() {
  return BuildArchive({StoredEntry("book.swf", "new movie"), DeflatedEntry("pages/001.bin", kNewPage),
                       StoredEntry("pages/002.bin", kOther), StoredEntry("pages/003.bin", "third")});
}

struct TNested {
  TZipReader& reader;
  TMemoryPlatform& platform;
  // While set, yields run this instead of the case's action.
  std::function<void()> innerYield;

  std::string Extract(const std::string& name, const Bytes& expected) {
    TWatchedStream stream;
    const int result = reader.UnpackToStream(&stream, name);
    return "extracted " + std::to_string(result) + (stream.Contents() == expected ? ", bytes right" : ", bytes wrong");
  }
  std::string Entries() { return "entries " + std::to_string(reader.EntryCount()); }
};

struct TReentryCase {
  const char* what;
  std::function<std::string(TNested&)> action;  // returns what the nested work got
  std::string nested;
  std::string afterwards;  // what the reader holds once the outer extraction is over
};

class Reentry : public ::testing::TestWithParam<TReentryCase> {};

// The outer extraction is of a page several blocks long; the action runs
// once, on the second yield of that entry's decoding, when the outer has read
// and inflated its first block and holds the rest to do.
TEST_P(Reentry, TheOuterExtractionKeepsItsBytesAndTheNestedWorkItsAnswer) {
  const TReentryCase& c = GetParam();
  TMemoryPlatform platform;
  platform.SystemFiles = false;
  platform.PutFile("book.vlq", Book());
  platform.PutFile("other.vlq", BuildArchive({StoredEntry("only.txt", "other book")}));
  TZipReader reader(platform);
  reader.SetZipName("book.vlq");
  reader.ReadZipDirectory();
  ASSERT_EQ(reader.EntryCount(), 3);

  int yieldsInEntry = -1;  // counting starts when the outer entry starts
  std::string nested = "(never ran)";
  bool busyInYield = false;
  reader.OnStartUnZip = [&](TZipReader*, int, std::string&, bool&) {
    if (yieldsInEntry < 0) yieldsInEntry = 0;
  };
  TNested context{reader, platform, nullptr};
  platform.DuringYield = [&] {
    if (context.innerYield) {
      context.innerYield();
      return;
    }
    if (yieldsInEntry < 0 || ++yieldsInEntry != 2) return;
    busyInYield = reader.Busy();
    try {
      nested = c.action(context);
    } catch (const Exception& e) {
      nested = "raised \"" + e.Message() + "\"";
    }
  };

  TWatchedStream outer;
  EXPECT_EQ(reader.UnpackToStream(&outer, "pages\\001.bin"), 1);
  EXPECT_TRUE(outer.Contents() == kPage);
  EXPECT_EQ(nested, c.nested);
  EXPECT_TRUE(busyInYield);
  EXPECT_FALSE(reader.Busy());

  platform.DuringYield = nullptr;
  reader.OnStartUnZip = nullptr;
  std::string after = context.Entries();
  if (reader.EntryCount() > 1) after += ", then " + context.Extract("pages\\001.bin", reader.EntryCount() == 3 ? kPage : kNewPage);
  EXPECT_EQ(after, c.afterwards);
}

INSTANTIATE_TEST_SUITE_P(
    DuringAnExtraction, Reentry,
    ::testing::Values(
        TReentryCase{"AnotherEntry", [](TNested& n) { return n.Extract("pages\\002.bin", kOther); },
                     "extracted 1, bytes right", "entries 3, then extracted 1, bytes right"},
        TReentryCase{"TheSameEntry", [](TNested& n) { return n.Extract("pages\\001.bin", kPage); },
                     "extracted 1, bytes right", "entries 3, then extracted 1, bytes right"},
        TReentryCase{"EveryEntryByPattern",
                     [](TNested& n) {
                       TChecksumStream sink;
                       return "extracted " + std::to_string(n.reader.UnpackToStream(&sink, "*"));
                     },
                     "extracted 3", "entries 3, then extracted 1, bytes right"},
        TReentryCase{"TheDirectoryReadAgain",
                     [](TNested& n) {
                       n.reader.ReadZipDirectory();
                       return n.Entries();
                     },
                     "entries 3", "entries 3, then extracted 1, bytes right"},
        // The outer reads on from the file it opened; the reader answers from
        // the new one from then on.
        TReentryCase{"TheFileReplacedAndReadAgain",
                     [](TNested& n) {
                       n.platform.PutFile("book.vlq", ChangedBook());
                       n.reader.ReadZipDirectory();
                       return n.Entries() + ", " + n.Extract("pages\\001.bin", kNewPage);
                     },
                     "entries 4, extracted 1, bytes right", "entries 4, then extracted 1, bytes right"},
        TReentryCase{"AnotherBookNamed",
                     [](TNested& n) {
                       n.reader.SetZipName("other.vlq");
                       n.reader.ReadZipDirectory();
                       return n.Entries() + ", " + n.Extract("only.txt", "other book");
                     },
                     "entries 1, extracted 1, bytes right", "entries 1"},
        TReentryCase{"TheNameCleared",
                     [](TNested& n) {
                       n.reader.SetZipName("");
                       return n.Entries();
                     },
                     "entries 0", "entries 0"},
        // An extraction nested in a nested one: each level has its own state.
        TReentryCase{"AnExtractionWhoseYieldExtractsAgain",
                     [](TNested& n) {
                       std::string innermost;
                       n.innerYield = [&, once = true]() mutable {
                         if (!once) return;
                         once = false;
                         innermost = n.Extract("pages\\001.bin", kPage);
                       };
                       const std::string middle = n.Extract("pages\\002.bin", kOther);
                       n.innerYield = nullptr;
                       return middle + " around " + innermost;
                     },
                     "extracted 1, bytes right around extracted 1, bytes right",
                     "entries 3, then extracted 1, bytes right"}),
    [](const ::testing::TestParamInfo<TReentryCase>& info) { return std::string(info.param.what); });

// A directory load works on the reader's own stream and end record
// throughout: what a handler asks of the reader meanwhile is refused, and the
// load goes on as if nothing had been asked.
TEST(ReentryDuringALoad, OperationsAskedForWhileTheDirectoryLoadsAreRefused) {
  std::vector<TEntryLayout> entries;
  for (int i = 0; i < 1000; ++i) entries.push_back(StoredEntry("pages/" + std::to_string(i) + ".bin", "p"));
  TMemoryPlatform platform;
  platform.SystemFiles = false;
  TArchiveLayout layout;
  layout.Entries = entries;
  layout.Comment = "a comment";
  platform.PutFile("big.vlq", BuildArchive(layout));
  platform.PutFile("other.vlq", BuildArchive({StoredEntry("only.txt", "other book")}));

  const std::vector<std::pair<const char*, std::function<void(TZipReader&)>>> asked = {
      {"extract", [](TZipReader& r) {
         TMemoryStream stream;
         r.UnpackToStream(&stream, "pages\\1.bin");
       }},
      {"read the directory", [](TZipReader& r) { r.ReadZipDirectory(); }},
      {"set another name", [](TZipReader& r) { r.SetZipName("other.vlq"); }},
      {"read the archive comment", [](TZipReader& r) { r.ArchiveComment(); }},
  };
  for (const auto& [what, asking] : asked) {
    SCOPED_TRACE(what);
    const auto& action = asking;
    TZipReader reader(platform);
    reader.SetZipName("big.vlq");
    std::string answer = "(never asked)";
    int yields = 0;
    platform.DuringYield = [&] {
      if (++yields != 2) return;  // the load yields per block of records: this is one block in
      try {
        action(reader);
        answer = "done";
      } catch (const EZipReaderException& e) {
        answer = e.Message();
      }
    };
    reader.ReadZipDirectory();
    platform.DuringYield = nullptr;
    EXPECT_EQ(answer, "The archive's directory is being read.");
    EXPECT_EQ(reader.EntryCount(), 1000);
    EXPECT_EQ(reader.ZipName(), "big.vlq");
    EXPECT_FALSE(reader.Busy());
    TMemoryStream stream;
    EXPECT_EQ(reader.UnpackToStream(&stream, "pages\\999.bin"), 1);
  }
}

}  // namespace
