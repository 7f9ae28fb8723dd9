#include "Unshrink.h"

#include <array>
#include <memory>

namespace vell::codec {
namespace {

constexpr int kInitialCodeSize = 9;
constexpr int kMaxCodeSize = 13;
constexpr std::uint32_t kTableSize = 1u << kMaxCodeSize;  // 8192
constexpr std::uint32_t kControlCode = 256;               // escape: 1 = wider codes, 2 = partial clear
constexpr std::uint32_t kFirstFreeCode = 257;
constexpr std::uint16_t kUnused = 0xFFFF;  // parent mark of a free table slot
constexpr std::uint16_t kRoot = 0xFFFE;    // parent mark of a literal

struct Table {
  std::array<std::uint16_t, kTableSize> parent;
  std::array<std::uint8_t, kTableSize> value;
  std::array<std::uint8_t, kTableSize> stack;  // a string is spelled backwards into this

  Table() {
    for (std::uint32_t c = 0; c < kTableSize; ++c) {
      parent[c] = c < kControlCode ? kRoot : kUnused;
      value[c] = static_cast<std::uint8_t>(c);
    }
  }

  // Frees every code that no other code extends (the leaves).
  void PartialClear() {
    std::array<bool, kTableSize> hasChild{};
    for (std::uint32_t c = kFirstFreeCode; c < kTableSize; ++c)
      if (parent[c] != kUnused && parent[c] != kRoot && parent[c] >= kFirstFreeCode) hasChild[parent[c]] = true;
    for (std::uint32_t c = kFirstFreeCode; c < kTableSize; ++c)
      if (!hasChild[c]) parent[c] = kUnused;
  }
};

}  // namespace

void Unshrink(ByteSource& input, ByteSink& output) {
  BitReader bits(input);
  OutputWindow out(output);
  auto table = std::make_unique<Table>();

  int codeSize = kInitialCodeSize;
  std::uint32_t code = 0;
  if (!bits.Read(codeSize, code)) return;
  if (code >= kControlCode) return;  // the first code must be a literal
  std::uint32_t previous = code;
  out.Put(static_cast<std::uint8_t>(code));
  std::uint32_t lastFree = kControlCode;

  while (bits.Read(codeSize, code)) {
    if (code == kControlCode) {
      std::uint32_t command = 0;
      if (!bits.Read(codeSize, command)) break;
      if (command == 1) {
        if (++codeSize > kMaxCodeSize) break;
      } else if (command == 2) {
        table->PartialClear();
        lastFree = kControlCode;
      } else {
        break;
      }
      continue;
    }

    // Spell the string backwards from its last byte to its root literal.
    std::size_t top = kTableSize;
    std::uint32_t walk = code;
    const bool unknownCode = table->parent[code] == kUnused;
    if (unknownCode) {
      // The code being defined right now (KwKwK): the previous string
      // followed by its own first byte, filled in below.
      --top;
      walk = previous;
    }
    bool malformed = false;
    for (;;) {
      if (top == 0 || table->parent[walk] == kUnused) {
        malformed = true;
        break;
      }
      table->stack[--top] = table->value[walk];
      if (table->parent[walk] == kRoot) break;
      walk = table->parent[walk];
    }
    if (malformed) break;
    const std::uint8_t first = table->stack[top];
    if (unknownCode) table->stack[kTableSize - 1] = first;
    for (std::size_t i = top; i < kTableSize; ++i) out.Put(table->stack[i]);

    // The previous string extended by this string's first byte becomes the
    // lowest free code.
    std::uint32_t slot = lastFree + 1;
    while (slot < kTableSize && table->parent[slot] != kUnused) ++slot;
    if (slot < kTableSize) {
      table->parent[slot] = static_cast<std::uint16_t>(previous);
      table->value[slot] = first;
      lastFree = slot;
    }
    previous = code;
  }
  out.Flush();
}

}  // namespace vell::codec
