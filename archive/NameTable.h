// Names mapped to the first entry that carries each, by open addressing.
// A slot is one cache line and holds a name of up to kInlineLength bytes
// itself, so that a question about such a name touches one line of a large
// table and no other memory; longer names keep their tail aside.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class TNameTable {
public:
  static constexpr std::size_t kInlineLength = 43;

  struct TFound {
    std::int32_t entry = -1;  // -1: no entry has the name
    bool shared = false;      // a later entry has the name too
  };

  // Room for up to names distinct names.
  explicit TNameTable(std::size_t names);

  // Files name under entry, or, when an entry already has it, marks that one
  // shared and returns it.
  TFound Insert(std::string_view name, std::int32_t entry);
  TFound Find(std::string_view name) const;

private:
  struct alignas(64) TSlot {
    std::uint64_t tailAt = 0;  // where in tails_ the bytes past kInlineLength start
    std::uint32_t hash = 0;
    std::int32_t entry = -1;  // -1: empty
    std::uint32_t length = 0;
    bool shared = false;
    char head[kInlineLength] = {};
  };
  static_assert(sizeof(TSlot) == 64);

  std::size_t Home(std::uint32_t hash) const;
  bool Holds(const TSlot& slot, std::string_view name, std::uint32_t hash) const;
  // Where name is held, or the empty slot where it belongs.
  std::size_t SlotFor(std::string_view name, std::uint32_t hash) const;

  std::vector<TSlot> slots_;
  std::string tails_;
};
