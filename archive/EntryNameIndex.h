// Exact-name questions about one ordered entry list, answered without
// walking it: the first entry of a name as written, and every entry whose
// lower-cased name equals a lower-cased name. Built on the first question of
// each kind; the list must not change while the index is in use.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

class TSortedZip;

class TEntryNameIndex {
public:
  using TLowerCase = std::function<std::string(const std::string&)>;

  // lowerCase folds letter case exactly as pattern matching does.
  TEntryNameIndex(const TSortedZip& list, TLowerCase lowerCase);

  // Index of the first entry whose full name equals name byte for byte; -1 if none.
  int FirstExact(std::string_view name);
  // Indices, ascending, of the entries whose folded full name equals foldedName.
  std::vector<int> AllFolded(std::string_view foldedName);

private:
  // Open addressing over entry indices + 1 (0 = empty slot).
  struct TTable {
    std::vector<std::uint32_t> slots;
    std::size_t mask = 0;
    void Reset(std::size_t entries);
  };

  void BuildExact();
  void BuildFolded();

  // A name as written, with where it lives in exactNames_: a question is
  // answered from the slot and one comparison, without visiting the entry.
  struct TExactSlot {
    std::uint32_t hash = 0;
    std::uint32_t entry = 0;  // index + 1; 0 = empty
    std::uint32_t at = 0;
    std::uint32_t length = 0;
  };

  const TSortedZip& list_;
  TLowerCase lowerCase_;
  bool exactBuilt_ = false;
  bool foldedBuilt_ = false;
  std::vector<TExactSlot> exactSlots_;
  std::size_t exactMask_ = 0;
  std::string exactNames_;
  TTable folded_;
  std::vector<std::string> foldedNames_;
  std::vector<std::int32_t> nextFolded_;  // the next entry with the same folded name, -1 at the end
};
