#include "NameTable.h"

#include <algorithm>
#include <cstring>

#include "KeyedHash.h"

namespace {

std::uint32_t HashName(std::string_view name) {
  const std::uint64_t hash = NameHash(name);
  return static_cast<std::uint32_t>(hash ^ (hash >> 32));
}

}  // namespace

// At most half full: a name then mostly sits in its home slot, and a look-up
// in a large table reads one line. No rounding up to a power of two.
TNameTable::TNameTable(std::size_t names) : slots_(std::max<std::size_t>(16, names * 2 + 1)) {}

std::size_t TNameTable::Home(std::uint32_t hash) const {
  return static_cast<std::size_t>((static_cast<std::uint64_t>(hash) * slots_.size()) >> 32);
}

bool TNameTable::Holds(const TSlot& slot, std::string_view name, std::uint32_t hash) const {
  if (slot.hash != hash || slot.length != name.size()) return false;
  const std::size_t inHead = std::min(name.size(), kInlineLength);
  if (std::memcmp(slot.head, name.data(), inHead) != 0) return false;
  return inHead == name.size() ||
         std::memcmp(tails_.data() + slot.tailAt, name.data() + inHead, name.size() - inHead) == 0;
}

std::size_t TNameTable::SlotFor(std::string_view name, std::uint32_t hash) const {
  for (std::size_t at = Home(hash);; at = at + 1 == slots_.size() ? 0 : at + 1) {
    const TSlot& slot = slots_[at];
    if (slot.entry < 0 || Holds(slot, name, hash)) return at;
  }
}

TNameTable::TFound TNameTable::Insert(std::string_view name, std::int32_t entry) {
  const std::uint32_t hash = HashName(name);
  TSlot& slot = slots_[SlotFor(name, hash)];
  if (slot.entry >= 0) {
    slot.shared = true;
    return {slot.entry, true};
  }
  slot.hash = hash;
  slot.entry = entry;
  slot.length = static_cast<std::uint32_t>(name.size());
  const std::size_t inHead = std::min(name.size(), kInlineLength);
  std::memcpy(slot.head, name.data(), inHead);
  if (inHead < name.size()) {
    slot.tailAt = tails_.size();
    tails_.append(name.substr(inHead));
  }
  return {};
}

TNameTable::TFound TNameTable::Find(std::string_view name) const {
  const TSlot& slot = slots_[SlotFor(name, HashName(name))];
  return {slot.entry, slot.shared};
}
