#include "Unreduce.h"

#include <array>
#include <memory>
#include <stdexcept>

namespace vell::codec {
namespace {

constexpr std::uint8_t kRunMarker = 144;  // DLE
constexpr int kMaxFollowers = 64;         // a set's length is six bits

struct FollowerSets {
  std::array<std::uint8_t, 256> length{};
  std::array<std::array<std::uint8_t, kMaxFollowers>, 256> follower{};
};

// Bits needed for an index into a follower set of n members (n >= 1).
int IndexBits(int n) {
  int bits = 1;
  while ((1 << bits) < n) ++bits;
  return bits;
}

bool LoadFollowers(BitReader& bits, FollowerSets& sets) {
  for (int ch = 255; ch >= 0; --ch) {
    std::uint32_t n = 0;
    if (!bits.Read(6, n)) return false;
    sets.length[ch] = static_cast<std::uint8_t>(n);
    for (std::uint32_t i = 0; i < n; ++i) {
      std::uint32_t value = 0;
      if (!bits.Read(8, value)) return false;
      sets.follower[ch][i] = static_cast<std::uint8_t>(value);
    }
  }
  return true;
}

}  // namespace

void Unreduce(ByteSource& input, ByteSink& output, int factor, std::uint64_t size) {
  if (factor < 1 || factor > 4) throw std::invalid_argument("compression factor");
  const std::uint32_t lengthMask = 0x7Fu >> (factor - 1);
  const int distanceShift = 8 - factor;
  const std::uint32_t distanceMask = (1u << factor) - 1;

  BitReader bits(input);
  OutputWindow out(output);
  auto sets = std::make_unique<FollowerSets>();
  if (!LoadFollowers(bits, *sets)) return;

  std::uint32_t last = 0;
  int state = 0;
  std::uint32_t runHead = 0;
  std::uint32_t length = 0;
  while (out.Produced() < size) {
    std::uint32_t ch = 0;
    const int members = sets->length[last];
    if (members == 0) {
      if (!bits.Read(8, ch)) break;
    } else {
      std::uint32_t literal = 0;
      if (!bits.ReadBit(literal)) break;
      if (literal) {
        if (!bits.Read(8, ch)) break;
      } else {
        std::uint32_t index = 0;
        if (!bits.Read(IndexBits(members), index)) break;
        ch = sets->follower[last][index];
      }
    }
    last = ch;

    switch (state) {
      case 0:
        if (ch != kRunMarker)
          out.Put(static_cast<std::uint8_t>(ch));
        else
          state = 1;
        break;
      case 1:
        if (ch != 0) {
          runHead = ch;
          length = ch & lengthMask;
          state = length == lengthMask ? 2 : 3;
        } else {
          out.Put(kRunMarker);
          state = 0;
        }
        break;
      case 2:
        length += ch;
        state = 3;
        break;
      default: {
        const std::size_t distance = (((runHead >> distanceShift) & distanceMask) << 8) + ch + 1;
        std::uint64_t count = length + 3;
        if (count > size - out.Produced()) count = size - out.Produced();
        out.CopyBack(distance, static_cast<std::size_t>(count));
        state = 0;
        break;
      }
    }
  }
  out.Flush();
}

}  // namespace vell::codec
