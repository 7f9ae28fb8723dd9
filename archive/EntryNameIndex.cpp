#include "EntryNameIndex.h"

#include "SortedZip.h"

namespace {

std::size_t HashName(std::string_view name) { return std::hash<std::string_view>{}(name); }

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
  std::size_t size = 16;
  while (size < static_cast<std::size_t>(count) * 2) size *= 2;
  exactSlots_.assign(size, TExactSlot{});
  exactMask_ = size - 1;
  exactNames_.clear();
  for (int i = 0; i < count; ++i) {
    const TZipHeaderInfo& entry = *list_.Get(i);
    const std::size_t at = exactNames_.size();
    exactNames_.append(entry.Directory).append(entry.FileName);
    const std::string_view name(exactNames_.data() + at, exactNames_.size() - at);
    const std::size_t hash = HashName(name);
    for (std::size_t k = hash & exactMask_;; k = (k + 1) & exactMask_) {
      TExactSlot& slot = exactSlots_[k];
      if (slot.entry == 0) {
        slot = {static_cast<std::uint32_t>(hash), static_cast<std::uint32_t>(i) + 1, static_cast<std::uint32_t>(at),
                static_cast<std::uint32_t>(name.size())};
        break;
      }
      if (slot.hash == static_cast<std::uint32_t>(hash) &&
          std::string_view(exactNames_.data() + slot.at, slot.length) == name) {
        exactNames_.resize(at);  // an earlier entry keeps the name
        break;
      }
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
  const std::size_t hash = HashName(name);
  for (std::size_t k = hash & exactMask_;; k = (k + 1) & exactMask_) {
    const TExactSlot& slot = exactSlots_[k];
    if (slot.entry == 0) return -1;
    if (slot.hash == static_cast<std::uint32_t>(hash) &&
        std::string_view(exactNames_.data() + slot.at, slot.length) == name)
      return static_cast<int>(slot.entry - 1);
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
