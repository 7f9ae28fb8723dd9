#include <gtest/gtest.h>

#include <map>
#include <set>
#include <stdexcept>

#include "HistoryList.h"

namespace {

class MemoryStore : public IHistoryStore {
public:
  std::string Read(int key) override {
    auto it = values.find(key);
    return it == values.end() ? std::string() : it->second;
  }
  void Write(int key, const std::string& value) override { values[key] = value; }
  std::map<int, std::string> values;
};

THistoryAddOptions Eight() {
  THistoryAddOptions options;
  options.maxItems = 8;
  options.localPath = "C:\\Recents\\";
  return options;
}

TEST(AddToHistory, ReopeningMovesToTopWithoutDuplicate) {
  MemoryStore store;
  for (const char* book : {"C:\\A.vlq", "C:\\B.vlq", "C:\\A.vlq"}) AddToHistory(store, book, Eight());
  EXPECT_EQ(store.values[1], "C:\\A.vlq");
  EXPECT_EQ(store.values[2], "C:\\B.vlq");
  for (int key = 3; key <= 8; ++key) EXPECT_EQ(store.values[key], "") << key;
  EXPECT_EQ(store.values.size(), 8u);
}

TEST(AddToHistory, NineBooksKeepTheNewestEightAndWriteNoNinthKey) {
  MemoryStore store;
  for (int i = 1; i <= 9; ++i) AddToHistory(store, "C:\\Book" + std::to_string(i) + ".vlq", Eight());
  ASSERT_EQ(store.values.size(), 8u);
  for (int key = 1; key <= 8; ++key) EXPECT_EQ(store.values[key], "C:\\Book" + std::to_string(10 - key) + ".vlq");
}

// The reader may end at any write; whatever it had written, no book is lost
// and the new one is on top only once the list is whole.
TEST(AddToHistory, EndedAtAnyWriteLosesNoBook) {
  struct EndingStore : MemoryStore {
    int writesLeft = 0;
    void Write(int key, const std::string& value) override {
      if (writesLeft-- <= 0) throw std::runtime_error("ended");
      MemoryStore::Write(key, value);
    }
  };
  for (int writes = 0; writes <= 8; ++writes) {
    EndingStore store;
    for (int key = 1; key <= 8; ++key) store.values[key] = "C:\\Old" + std::to_string(key) + ".vlq";
    store.writesLeft = writes;
    try {
      AddToHistory(store, "C:\\New.vlq", Eight());
    } catch (const std::runtime_error&) {
    }
    std::set<std::string> kept;
    for (const auto& [key, value] : store.values) kept.insert(value);
    for (int key = 1; key <= 7; ++key)
      EXPECT_TRUE(kept.count("C:\\Old" + std::to_string(key) + ".vlq")) << "after " << writes << " writes, key " << key;
    EXPECT_EQ(store.values[1] == "C:\\New.vlq", writes == 8) << writes;
  }
}

TEST(AddToHistory, OtherLetterCaseReplacesTheOlderEntry) {
  MemoryStore store;
  AddToHistory(store, "C:\\Books\\Tale.vlq", Eight());
  AddToHistory(store, "C:\\Other.vlq", Eight());
  AddToHistory(store, "c:\\BOOKS\\tale.VLQ", Eight());
  EXPECT_EQ(store.values[1], "c:\\BOOKS\\tale.VLQ");
  EXPECT_EQ(store.values[2], "C:\\Other.vlq");
  EXPECT_EQ(store.values[3], "");
}

TEST(AddToHistory, BlankValuesAreDroppedAndOthersKeptUntrimmed) {
  MemoryStore store;
  store.values = {{1, "   "}, {2, " C:\\Spaced.vlq"}, {3, "\t"}, {4, "C:\\Old.vlq"}};
  AddToHistory(store, "C:\\New.vlq", Eight());
  EXPECT_EQ(store.values[1], "C:\\New.vlq");
  EXPECT_EQ(store.values[2], " C:\\Spaced.vlq");
  EXPECT_EQ(store.values[3], "C:\\Old.vlq");
  EXPECT_EQ(store.values[4], "");
}

TEST(AddToHistory, BareNameLandsInTheLocalFolder) {
  MemoryStore store;
  AddToHistory(store, "bare.vlq", Eight());
  EXPECT_EQ(store.values[1], "C:\\Recents\\bare.vlq");
}

TEST(AddToHistory, SortedListIsOrderedIgnoringCase) {
  MemoryStore store;
  THistoryAddOptions options = Eight();
  options.maxItems = 3;
  options.sorted = true;
  for (const char* book : {"C:\\b.vlq", "C:\\C.vlq", "C:\\a.vlq"}) AddToHistory(store, book, options);
  EXPECT_EQ(store.values[1], "C:\\a.vlq");
  EXPECT_EQ(store.values[2], "C:\\b.vlq");
  EXPECT_EQ(store.values[3], "C:\\C.vlq");
}

TEST(ReadHistory, SkipsEmptyKeysAndKeepsKeyNumbers) {
  MemoryStore store;
  store.values = {{1, "C:\\a.vlq"}, {2, ""}, {3, "C:\\c.vlq"}, {9, "C:\\beyond.vlq"}};
  const auto entries = ReadHistory(store, 8);
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].key, 1);
  EXPECT_EQ(entries[1].key, 3);
  EXPECT_EQ(entries[1].path, "C:\\c.vlq");
}

TEST(ReadHistory, MissingFilesAreRemovedWhenTheyMustExist) {
  const auto exists = [](const std::string& p) { return p.rfind("here", 0) == 0; };
  MemoryStore allGone;
  allGone.values = {{1, "gone1"}, {2, "gone2"}, {3, "gone3"}, {4, "gone4"}, {5, "gone5"}, {6, "gone6"}};
  EXPECT_TRUE(ReadHistory(allGone, 5, exists).empty());

  MemoryStore store;
  // Key 6 lies past the end: it moves into view as the gone ones leave.
  store.values = {{1, "gone1"}, {2, "here2"}, {3, "gone3"}, {4, "gone4"}, {5, "here5"}, {6, "here6"}};
  const auto entries = ReadHistory(store, 5, exists);
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[0].path, "here2");
  EXPECT_EQ(entries[0].key, 1);
  EXPECT_EQ(entries[1].path, "here5");
  EXPECT_EQ(entries[1].key, 2);
  EXPECT_EQ(entries[2].path, "here6");
  EXPECT_EQ(entries[2].key, 3);
  EXPECT_EQ(store.values[1], "here2");
  EXPECT_EQ(store.values[2], "here5");
  EXPECT_EQ(store.values[3], "here6");
  EXPECT_EQ(store.values[4], "");
  EXPECT_EQ(store.values[6], "");
}

TEST(ReadHistory, StoreThatIgnoresWritesStillEnds) {
  class ReadOnly : public MemoryStore {
    void Write(int, const std::string&) override {}
  } store;
  store.values = {{1, "gone"}, {2, "gone"}};
  const auto entries = ReadHistory(store, 2, [](const std::string&) { return false; });
  EXPECT_EQ(entries.size(), 2u);
}

TEST(HistoryItemCaption, Cases) {
  struct Case {
    bool showFullPath, showNumber;
    int key;
    std::string path, expected;
  } cases[] = {
      {true, true, 3, "D:\\Books\\a.vlq", "&3 D:\\Books\\a.vlq"},
      {true, true, 1, "c:\\recents\\here.vlq", "&1 here.vlq"},  // local folder, any case
      {false, true, 2, "D:\\Books\\a.vlq", "&2 a.vlq"},
      {true, false, 4, "D:\\Books\\a.vlq", "D:\\Books\\a.vlq"},
      {false, false, 4, "D:\\Books\\a.vlq", "a.vlq"},
  };
  for (const Case& c : cases) {
    THistoryCaptionOptions options;
    options.showFullPath = c.showFullPath;
    options.showNumber = c.showNumber;
    options.localPath = "C:\\Recents\\";
    EXPECT_EQ(HistoryItemCaption({c.key, c.path}, options), c.expected);
  }
}

TEST(StripMenuNumber, Cases) {
  const std::pair<std::string, std::string> cases[] = {
      {"&1 C:\\Books\\a b.vlq", "C:\\Books\\a b.vlq"},
      {"&12 C:\\x.vlq", "C:\\x.vlq"},
      {"&123 C:\\x.vlq", "&123 C:\\x.vlq"},  // blank at position 5: not a number prefix
      {"NoBlank", "NoBlank"},
      {"ab c", "c"},
      {"", ""},
  };
  for (const auto& [caption, expected] : cases) EXPECT_EQ(StripMenuNumber(caption), expected) << caption;
}

}  // namespace
