#pragma once
#include <cstdint>

namespace pageplayer {

// A colour of `alpha` coverage (255 opaque) laid over the paper, as a
// blue-green-red pixel with the unused byte zero.
inline std::uint32_t OverPaper(std::uint32_t red, std::uint32_t green, std::uint32_t blue, std::uint32_t alpha,
                               std::uint32_t paper) {
  if (alpha == 255) return red << 16 | green << 8 | blue;
  const std::uint32_t clear = 255 - alpha;
  const auto mix = [&](std::uint32_t value, int shift) {
    return (value * alpha + ((paper >> shift) & 0xFF) * clear + 127) / 255 << shift;
  };
  return mix(red, 16) | mix(green, 8) | mix(blue, 0);
}

}  // namespace pageplayer
