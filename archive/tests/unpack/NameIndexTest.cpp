// Exact names answered by the reader's name index must agree with a walk
// over every entry: which entries, in which order, under every letter-case
// and folder rule. Also extraction by index into a stream that keeps no bytes.
#include <gtest/gtest.h>

#include <random>
#include <regex>

#include "BookCheck.h"
#include "ChecksumStream.h"
#include "KeyedHash.h"
#include "NameTable.h"
#include "PassOnStream.h"
#include "UnpackPattern.h"
#include "UnpackTestSupport.h"

using namespace unpacktest;

namespace {

class NameIndex : public ::testing::Test {
protected:
  void SetUp() override {
    path_ = scratch_.Write("names.zip", BuildArchive({
                                            StoredEntry("Files/A.txt", "1"),
                                            StoredEntry("files/a.txt", "2"),
                                            StoredEntry("docs/", ""),
                                            StoredEntry("FILES/A.TXT", "3"),
                                            StoredEntry("files/a.txt", "4"),  // the same name again
                                            StoredEntry("other.txt", "5"),
                                            StoredEntry("DOCS/", ""),
                                        }));
    // Names longer than the index keeps in one place, alike in their first part.
    longPath_ = scratch_.Write("long.zip", BuildArchive({
                                               StoredEntry(kLong + "tail/One.txt", "1"),
                                               StoredEntry(kLong + "tail/one.txt", "2"),
                                               StoredEntry(kLong + "tail/two.txt", "3"),
                                               StoredEntry(kLong + "TAIL/ONE.TXT", "4"),
                                               StoredEntry(kLong + "tail/one.txt", "5"),
                                           }));
  }

  static inline const std::string kLong = "files/" + std::string(60, 'x') + "/";
  static inline const std::string kLongStored = "files\\" + std::string(60, 'x') + "\\";

  // Indices the events report, in order, and the entries marked afterwards.
  struct TOutcome {
    std::vector<int> started;
    std::vector<bool> marked;
    bool operator==(const TOutcome&) const = default;
  };

  TOutcome Extract(TZipReader& reader, const std::string& name) {
    TOutcome outcome;
    reader.OnStartUnZip = [&outcome](TZipReader*, int i, std::string&, bool&) { outcome.started.push_back(i); };
    TMemoryStream stream;
    reader.UnpackToStream(&stream, name);
    for (int i = 0; i < reader.EntryCount(); ++i) outcome.marked.push_back(reader.Entry(i).MatchedForExtract);
    return outcome;
  }

  TScratchFolder scratch_;
  std::string path_;
  std::string longPath_;
};

std::string Printed(const std::vector<int>& v) {
  std::string s;
  for (int i : v) s += std::to_string(i) + " ";
  return s;
}

TEST_F(NameIndex, PlainNamesSelectWhatTheWalkSelectsInItsOrder) {
  // The walk is forced by a one-letter set in place of the first character.
  const std::vector<std::string> shortNames = {"files\\a.txt", "FILES\\a.TXT", "docs\\",
                                               "Other.txt", "missing", "files\\a.tx"};
  const std::vector<std::string> longNames = {kLongStored + "tail\\one.txt", kLongStored + "TAIL\\Two.txt",
                                              kLongStored + "tail\\one.tx", kLongStored};
  for (const auto& [path, names] : {std::pair{path_, shortNames}, std::pair{longPath_, longNames}}) {
    for (const auto mode : {TZipSortMode::ByNone, TZipSortMode::ByName, TZipSortMode::ByFileName}) {
      for (const bool folders : {false, true}) {
        TZipReader reader;
        reader.SetSortMode(mode);
        reader.SetRecreateDirs(folders);
        reader.SetZipName(path);
        reader.ReadZipDirectory();
        for (const auto& name : names) {
          const TOutcome indexed = Extract(reader, name);
          const TOutcome walked = Extract(reader, "<" + name.substr(0, 1) + ">" + name.substr(1));
          EXPECT_EQ(indexed, walked) << name << " mode " << static_cast<int>(mode) << " folders " << folders
                                     << ": " << Printed(indexed.started) << "/ " << Printed(walked.started);
        }
      }
    }
  }
  TZipReader reader;
  reader.SetZipName(path_);
  reader.ReadZipDirectory();
  EXPECT_EQ(Extract(reader, "FILES\\a.TXT").started, (std::vector<int>{0, 1, 3, 4}));
  EXPECT_EQ(Extract(reader, "docs\\").started, std::vector<int>{});  // folders only when folders are made
  // A walk after a look-up leaves no stale marks behind, nor the other way round.
  Extract(reader, "other.txt");
  EXPECT_EQ(Extract(reader, "*.TXT").marked, (std::vector<bool>{true, true, false, true, true, true, false}));
  EXPECT_EQ(Extract(reader, "other.txt").marked, (std::vector<bool>{false, false, false, false, false, true, false}));
}

TEST_F(NameIndex, ExactLookUpFindsTheFirstEntryOfThatSpellingInTheView) {
  const std::vector<std::string> shortNames = {"files\\a.txt", "Files\\A.txt", "FILES\\A.TXT", "files\\A.txt", "docs\\",
                                               "DOCS\\", "other.txt", "", "files"};
  const std::vector<std::string> longNames = {kLongStored + "tail\\one.txt", kLongStored + "TAIL\\ONE.TXT",
                                              kLongStored + "tail\\One.txt", kLongStored + "tail\\ONE.txt",
                                              kLongStored + "tail\\two.txt", kLongStored};
  for (const auto& [path, names] : {std::pair{path_, shortNames}, std::pair{longPath_, longNames}}) {
    for (const auto mode : {TZipSortMode::ByNone, TZipSortMode::ByName, TZipSortMode::ByDate}) {
      TZipReader reader;
      reader.SetSortMode(mode);
      reader.SetZipName(path);
      reader.ReadZipDirectory();
      for (const std::string& name : names) {
        int first = -1;
        for (int i = reader.EntryCount() - 1; i >= 0; --i)
          if (reader.EntryFullName(i) == name) first = i;
        EXPECT_EQ(reader.FindEntry(name), first) << name << " mode " << static_cast<int>(mode);
        EXPECT_EQ(FindBookEntry(&reader, name), first + 1) << name;
      }
    }
  }
  TZipReader empty;
  EXPECT_EQ(empty.FindEntry("files\\a.txt"), -1);
}

TEST_F(NameIndex, TheIndexFollowsADirectoryRebuiltFromLocalHeaders) {
  // Without its end record the archive is rebuilt from its local headers.
  Bytes bytes = ReadFile(path_);
  bytes.resize(bytes.rfind("PK\x05\x06", std::string::npos) - 10);
  TZipReader reader;
  reader.SetIncompleteZipMode(TIncompleteZipMode::izAssumeBad);
  reader.SetZipName(scratch_.Write("cut.zip", bytes));
  reader.ReadZipDirectory();
  ASSERT_TRUE(reader.DirectoryRebuilt());
  EXPECT_EQ(reader.FindEntry("other.txt"), 5);
  EXPECT_EQ(Extract(reader, "files\\A.TXT").started, (std::vector<int>{0, 1, 3, 4}));
}

TEST_F(NameIndex, AnEntryChosenByIndexComesOutWhateverItsNameIntoAStreamThatKeepsNoBytes) {
  const Bytes big(3 << 20, 'z');
  const std::string path = scratch_.Write("index.zip", BuildArchive({
                                                           StoredEntry("a*b?.txt", "star"),
                                                           StoredEntry("A*B?.TXT", "STAR"),
                                                           DeflatedEntry("big.bin", big),
                                                           StoredEntry("dir/", ""),
                                                       }));
  TZipReader reader;
  reader.SetZipName(path);
  reader.ReadZipDirectory();
  std::vector<int> started;
  reader.OnStartUnZip = [&started](TZipReader*, int i, std::string&, bool&) { started.push_back(i); };
  const struct {
    int index;
    std::int64_t size;
    std::uint32_t crc;
  } cases[] = {{1, 4, Crc32("STAR")}, {0, 4, Crc32("star")}, {2, static_cast<std::int64_t>(big.size()), Crc32(big)}};
  for (const auto& c : cases) {
    started.clear();
    TChecksumStream sink;
    EXPECT_EQ(reader.UnpackEntryToStream(&sink, c.index), 1) << c.index;
    EXPECT_EQ(started, std::vector<int>{c.index});
    EXPECT_EQ(sink.Written(), c.size);
    EXPECT_EQ(sink.Crc(), c.crc);
  }
  // A range in one pass: each entry from the stream's start, the folder left out.
  started.clear();
  std::vector<std::uint32_t> crcs;
  TChecksumStream sink;
  reader.OnEndUnZip = [&](TZipReader*, int, const std::string&) { crcs.push_back(sink.Crc()); };
  EXPECT_EQ(reader.UnpackEntriesToStream(&sink, 1, 3), 2);
  EXPECT_EQ(started, (std::vector<int>{1, 2}));
  EXPECT_EQ(crcs, (std::vector<std::uint32_t>{Crc32("STAR"), Crc32(big)}));
  EXPECT_THROW(reader.UnpackEntriesToStream(&sink, 2, 3), EListError);
  EXPECT_EQ(reader.UnpackEntryToStream(&sink, 3), 0);  // a folder, while folders are not made
  EXPECT_THROW(reader.UnpackEntryToStream(&sink, 4), EListError);
  EXPECT_THROW(reader.UnpackEntryToStream(&sink, -1), EListError);
}

// The reference vectors of SipHash-2-4 (key 00..0f, message 00..n-1) check
// the rounds and the handling of a message's last, partial word.
TEST(KeyedHash, SipHashMatchesItsReferenceVectorsAndTheKeyMatters) {
  const TSipKey key{0x0706050403020100ull, 0x0f0e0d0c0b0a0908ull};
  const struct {
    std::size_t length;
    std::uint64_t hash;
  } vectors[] = {{0, 0x726fdb47dd0e0e31ull}, {1, 0x74f839c593dc67fdull}, {2, 0x0d6c8009d9a94f5aull},
                 {3, 0x85676696d7fb7e2dull}, {8, 0x93f5f5799a932462ull}, {15, 0xa129ca6149be45e5ull}};
  std::string message;
  for (int i = 0; i < 16; ++i) message += static_cast<char>(i);
  for (const auto& v : vectors)
    EXPECT_EQ(SipHash(key, std::string_view(message).substr(0, v.length), 2, 4), v.hash) << v.length;
  EXPECT_NE(SipHash(TSipKey{1, 0}, "book.swf", 1, 3), SipHash(TSipKey{2, 0}, "book.swf", 1, 3));
  EXPECT_EQ(NameHash("book.swf"), NameHash(std::string("book.swf")));
}

// Enough names of one length for their 32-bit hashes to meet several times
// (about five pairs expected at this count), so that names told apart only
// by their bytes, in the slot or in the tail kept aside, are looked up too.
TEST(NameTable, EveryNameFindsItsOwnEntryAmongManyOfTheSameLength) {
  for (const std::size_t prefix : {std::size_t{20}, std::size_t{60}}) {
    constexpr int kCount = 200000;
    const std::string common(prefix, 'n');
    auto name = [&](int i) { return common + std::to_string(10000000 + i); };
    TNameTable table(kCount);
    for (int i = 0; i < kCount; ++i) ASSERT_EQ(table.Insert(name(i), i).entry, -1) << i;
    int wrong = 0;
    for (int i = 0; i < kCount; ++i) wrong += table.Find(name(i)).entry != i;
    EXPECT_EQ(wrong, 0) << "prefix " << prefix;
    EXPECT_EQ(table.Find(name(kCount)).entry, -1);
    EXPECT_EQ(table.Find(common).entry, -1);
    const auto again = table.Insert(name(7), kCount);  // a later entry of a known name
    EXPECT_EQ(again.entry, 7);
    EXPECT_TRUE(table.Find(name(7)).shared);
    EXPECT_FALSE(table.Find(name(8)).shared);
  }
}

TEST(ChecksumStream, CountsInOrderAndRefusesToGoBack) {
  TChecksumStream sink;
  sink.SetSize(1000);  // a reservation is only a number
  EXPECT_EQ(sink.Size(), 1000);
  sink.SetPosition(0);
  EXPECT_EQ(sink.Write("abc", 3), 3u);
  EXPECT_EQ(sink.Write("def", 3), 3u);
  EXPECT_EQ(sink.Crc(), Crc32("abcdef"));
  sink.SetPosition(2);
  EXPECT_EQ(sink.Write("x", 1), 0u);  // those bytes are gone: a short write
  char byte;
  EXPECT_EQ(sink.Read(&byte, 1), 0u);
  EXPECT_EQ(sink.Written(), 6);
}

// The reader hands a book's movie on to the player as it extracts it: the
// bytes arrive whole and in order, and the entry's check still counts.
TEST(PassOnStream, AnExtractionArrivesWholeInTheStreamBehind) {
  std::string big(300000, '\0');
  for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 31 % 251);
  TScratchFolder scratch;
  TZipReader reader;
  reader.SetZipName(scratch.Write("movie.zip", BuildArchive({DeflatedEntry("book.swf", big)})));
  reader.ReadZipDirectory();
  TMemoryStream behind;
  TPassOnStream passOn(behind);
  EXPECT_EQ(reader.UnpackToStream(&passOn, "book.swf"), 1);
  ASSERT_EQ(behind.Size(), static_cast<std::int64_t>(big.size()));
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(behind.Memory()), big.size()), big);
  passOn.SetPosition(5);
  EXPECT_EQ(passOn.Write("x", 1), 0u);  // no going back: those bytes have gone on
  EXPECT_EQ(behind.Size(), static_cast<std::int64_t>(big.size()));
}

// Random patterns over a small alphabet against a regular-expression oracle,
// with names long enough to cross the matcher's 64-position words.
TEST(MatchWildcard, AgreesWithARegularExpressionOnRandomCases) {
  const struct {
    const char* token;
    const char* regex;
  } tokens[] = {{"a", "a"}, {"b", "b"}, {"?", "."}, {"*", ".*"}, {"<ab>", "[ab]"}, {"*<a>", "a*"}, {"<!a>", "[^a]"}};
  std::mt19937 random(7);
  for (int round = 0; round < 3000; ++round) {
    std::string pattern, regex;
    const int length = static_cast<int>(random() % 7) + 1;
    for (int k = 0; k < length; ++k) {
      const auto& t = tokens[random() % std::size(tokens)];
      if (t.token[0] == '<' && !pattern.empty() && pattern.back() == '*') continue;  // that would be "*<...>"
      pattern += t.token;
      regex += t.regex;
    }
    std::string name(random() % 150, 'a');
    for (char& c : name) c = "aab"[random() % 3];
    if (random() % 2 && !name.empty()) name[random() % name.size()] = 'c';
    EXPECT_EQ(MatchWildcard(pattern, name), std::regex_match(name, std::regex(regex))) << pattern << " " << name;
  }
}

}  // namespace
