#include "EntryNameIndex.h"

#include "SortedZip.h"

TEntryNameIndex::TEntryNameIndex(const TSortedZip& list, TLowerCase lowerCase)
    : list_(list), lowerCase_(std::move(lowerCase)) {}

void TEntryNameIndex::BuildExact() {
  const int count = list_.Count();
  auto table = std::make_unique<TNameTable>(static_cast<std::size_t>(count));
  std::string name;
  for (int i = 0; i < count; ++i) {
    const TZipHeaderInfo& entry = *list_.Get(i);
    name.assign(entry.Directory).append(entry.FileName);
    table->Insert(name, i);  // an earlier entry keeps a name
  }
  exact_ = std::move(table);
}

void TEntryNameIndex::BuildFolded() {
  const int count = list_.Count();
  auto table = std::make_unique<TNameTable>(static_cast<std::size_t>(count));
  nextFolded_.assign(static_cast<std::size_t>(count), -1);
  std::vector<int> last(static_cast<std::size_t>(count), -1);  // chain tails, by chain head
  for (int i = 0; i < count; ++i) {
    const auto head = table->Insert(lowerCase_(list_.Get(i)->FullName()), i);
    const auto chain = static_cast<std::size_t>(head.entry < 0 ? i : head.entry);
    if (head.entry >= 0) nextFolded_[static_cast<std::size_t>(last[chain])] = i;
    last[chain] = i;
  }
  folded_ = std::move(table);
}

int TEntryNameIndex::FirstExact(std::string_view name) {
  if (!exact_) BuildExact();
  return exact_->Find(name).entry;
}

void TEntryNameIndex::AppendFolded(std::string_view foldedName, std::vector<int>& found) {
  if (!folded_) BuildFolded();
  const auto head = folded_->Find(foldedName);
  if (head.entry < 0) return;
  found.push_back(head.entry);
  if (!head.shared) return;  // the usual case spares a look at the chain
  for (int i = nextFolded_[static_cast<std::size_t>(head.entry)]; i >= 0; i = nextFolded_[static_cast<std::size_t>(i)])
    found.push_back(i);
}
