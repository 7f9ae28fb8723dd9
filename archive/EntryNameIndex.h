// Exact-name questions about one ordered entry list, answered without
// walking it: the first entry of a name as written, and every entry whose
// lower-cased name equals a lower-cased name. Built on the first question of
// each kind; the list must not change while the index is in use.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "NameTable.h"

class TSortedZip;

class TEntryNameIndex {
public:
  using TLowerCase = std::function<std::string(const std::string&)>;

  // lowerCase folds letter case exactly as pattern matching does.
  TEntryNameIndex(const TSortedZip& list, TLowerCase lowerCase);

  // Index of the first entry whose full name equals name byte for byte; -1 if none.
  int FirstExact(std::string_view name);
  // Appends the indices, ascending, of the entries whose folded full name equals foldedName.
  void AppendFolded(std::string_view foldedName, std::vector<int>& found);

private:
  void BuildExact();
  void BuildFolded();

  const TSortedZip& list_;
  TLowerCase lowerCase_;
  std::unique_ptr<TNameTable> exact_;
  std::unique_ptr<TNameTable> folded_;
  std::vector<int> nextFolded_;  // the next entry with the same folded name, -1 at the end
};
