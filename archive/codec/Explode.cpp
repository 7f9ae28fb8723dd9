#include "Explode.h"

#include <array>
#include <optional>

namespace vell::codec {
namespace {

constexpr int kMaxCodeLength = 16;

// A Shannon-Fano tree as the implode format stores it: the codes are the bit
// complement of canonical prefix codes over (length, symbol) order, so the
// decoder walks canonical codes with every input bit inverted.
class ShannonFanoTree {
public:
  bool Load(BitReader& bits, int symbols);
  std::optional<std::uint32_t> Decode(BitReader& bits) const;

private:
  std::array<std::uint16_t, kMaxCodeLength + 1> count_{};
  std::array<std::uint16_t, 256> symbol_{};
};

bool ShannonFanoTree::Load(BitReader& bits, int symbols) {
  std::uint32_t packed = 0;
  if (!bits.Read(8, packed)) return false;
  std::array<std::uint8_t, 256> length{};
  int filled = 0;
  for (std::uint32_t i = 0; i <= packed; ++i) {
    std::uint32_t run = 0;
    if (!bits.Read(8, run)) return false;
    const int repeat = int(run >> 4) + 1;
    const int bitLength = int(run & 0x0F) + 1;
    if (filled + repeat > symbols) return false;
    for (int k = 0; k < repeat; ++k) length[filled++] = static_cast<std::uint8_t>(bitLength);
  }
  if (filled != symbols) return false;

  count_.fill(0);
  for (int s = 0; s < symbols; ++s) ++count_[length[s]];
  // Reject over-subscribed code sets: they would make two symbols share a code.
  long available = 1;
  for (int len = 1; len <= kMaxCodeLength; ++len) {
    available = available * 2 - count_[len];
    if (available < 0) return false;
  }
  std::array<std::uint16_t, kMaxCodeLength + 2> offset{};
  for (int len = 1; len <= kMaxCodeLength; ++len) offset[len + 1] = offset[len] + count_[len];
  for (int s = 0; s < symbols; ++s) symbol_[offset[length[s]]++] = static_cast<std::uint16_t>(s);
  return true;
}

std::optional<std::uint32_t> ShannonFanoTree::Decode(BitReader& bits) const {
  int code = 0;
  int first = 0;
  int index = 0;
  for (int len = 1; len <= kMaxCodeLength; ++len) {
    std::uint32_t bit = 0;
    if (!bits.ReadBit(bit)) return std::nullopt;
    code |= int(bit ^ 1);
    const int count = count_[len];
    if (code - count < first) return symbol_[index + (code - first)];
    index += count;
    first = (first + count) << 1;
    code <<= 1;
  }
  return std::nullopt;
}

struct Trees {
  ShannonFanoTree literal, length, distance;
};

}  // namespace

void Explode(ByteSource& input, ByteSink& output, std::uint16_t flags, std::uint64_t size) {
  const bool bigWindow = (flags & 0x02) != 0;
  const bool hasLiteralTree = (flags & 0x04) != 0;
  const int lowDistanceBits = bigWindow ? 7 : 6;
  const std::uint32_t minimumMatch = hasLiteralTree ? 3 : 2;
  constexpr std::uint32_t kLongLength = 63;  // followed by eight more bits of length

  BitReader bits(input);
  OutputWindow out(output);
  auto trees = std::make_unique<Trees>();
  if (hasLiteralTree && !trees->literal.Load(bits, 256)) return;
  if (!trees->length.Load(bits, 64) || !trees->distance.Load(bits, 64)) return;

  while (out.Produced() < size) {
    std::uint32_t isLiteral = 0;
    if (!bits.ReadBit(isLiteral)) break;
    if (isLiteral) {
      std::uint32_t byte = 0;
      if (hasLiteralTree) {
        const auto symbol = trees->literal.Decode(bits);
        if (!symbol) break;
        byte = *symbol;
      } else if (!bits.Read(8, byte)) {
        break;
      }
      out.Put(static_cast<std::uint8_t>(byte));
      continue;
    }
    std::uint32_t low = 0;
    if (!bits.Read(lowDistanceBits, low)) break;
    const auto high = trees->distance.Decode(bits);
    if (!high) break;
    const std::size_t distance = ((*high << lowDistanceBits) | low) + 1;
    const auto lengthCode = trees->length.Decode(bits);
    if (!lengthCode) break;
    std::uint32_t length = *lengthCode;
    if (length == kLongLength) {
      std::uint32_t extra = 0;
      if (!bits.Read(8, extra)) break;
      length += extra;
    }
    length += minimumMatch;
    const std::uint64_t left = size - out.Produced();
    out.CopyBack(distance, static_cast<std::size_t>(length < left ? length : left));
  }
  out.Flush();
}

}  // namespace vell::codec
