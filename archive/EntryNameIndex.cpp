#include "EntryNameIndex.h"

#include "SortedZip.h"

namespace {

std::size_t HashName(std::string_view name) { return std::hash<std::string_view>{}(name); }

bool FullNameIs(const TZipHeaderInfo& entry, std::string_view name) {
  // Compares directory and file name in place of building the full name.
  const std::size_t split = entry.Directory.size();
  return split + entry.FileName.size() == name.size() && name.compare(0, split, entry.Directory) == 0 &&
         name.compare(split, std::string_view::npos, entry.FileName) == 0;
}

}  // namespace

void TEntryNameIndex::TTable::Reset(std::size_t entries) {
  std::size_t size = 16;
  while (size < entries * 2) size *= 2;  // at most half full: short probe runs
  slots.assign(size, 0);
  mask = size - 1;
}

TEntryNameIndex::TEntryNameIndex(const TSortedZip& list, TLowerCase lowerCase)
    : list_(list), lowerCase_(std::move(lowerCase)) {}

void TEntryNameIndex::BuildExact() {
  const int count = list_.Count();
  exact_.Reset(static_cast<std::size_t>(count));
  std::string name;
  for (int i = 0; i < count; ++i) {
    const TZipHeaderInfo& entry = *list_.Get(i);
    name.assign(entry.Directory).append(entry.FileName);
    for (std::size_t at = HashName(name) & exact_.mask;; at = (at + 1) & exact_.mask) {
      const std::uint32_t slot = exact_.slots[at];
      if (slot == 0) {
        exact_.slots[at] = static_cast<std::uint32_t>(i) + 1;
        break;
      }
      if (FullNameIs(*list_.Get(static_cast<int>(slot - 1)), name)) break;  // an earlier entry keeps the name
    }
  }
  exactBuilt_ = true;
}

void TEntryNameIndex::BuildFolded() {
  const int count = list_.Count();
  folded_.Reset(static_cast<std::size_t>(count));
  foldedNames_.assign(static_cast<std::size_t>(count), std::string());
  nextFolded_.assign(static_cast<std::size_t>(count), -1);
  std::vector<std::int32_t> last(static_cast<std::size_t>(count), -1);  // chain tails, by chain head
  for (int i = 0; i < count; ++i) {
    auto& name = foldedNames_[static_cast<std::size_t>(i)];
    name = lowerCase_(list_.Get(i)->FullName());
    for (std::size_t at = HashName(name) & folded_.mask;; at = (at + 1) & folded_.mask) {
      const std::uint32_t slot = folded_.slots[at];
      if (slot == 0) {
        folded_.slots[at] = static_cast<std::uint32_t>(i) + 1;
        last[static_cast<std::size_t>(i)] = i;
        break;
      }
      const auto head = static_cast<std::size_t>(slot - 1);
      if (foldedNames_[head] == name) {
        nextFolded_[static_cast<std::size_t>(last[head])] = i;
        last[head] = i;
        break;
      }
    }
  }
  foldedBuilt_ = true;
}

int TEntryNameIndex::FirstExact(std::string_view name) {
  if (!exactBuilt_) BuildExact();
  for (std::size_t at = HashName(name) & exact_.mask;; at = (at + 1) & exact_.mask) {
    const std::uint32_t slot = exact_.slots[at];
    if (slot == 0) return -1;
    if (FullNameIs(*list_.Get(static_cast<int>(slot - 1)), name)) return static_cast<int>(slot - 1);
  }
}

std::vector<int> TEntryNameIndex::AllFolded(std::string_view foldedName) {
  if (!foldedBuilt_) BuildFolded();
  std::vector<int> found;
  for (std::size_t at = HashName(foldedName) & folded_.mask;; at = (at + 1) & folded_.mask) {
    const std::uint32_t slot = folded_.slots[at];
    if (slot == 0) break;
    if (foldedNames_[slot - 1] == foldedName) {
      for (std::int32_t i = static_cast<std::int32_t>(slot - 1); i >= 0; i = nextFolded_[static_cast<std::size_t>(i)])
        found.push_back(i);
      break;
    }
  }
  return found;
}
