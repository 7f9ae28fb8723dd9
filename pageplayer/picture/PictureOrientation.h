#pragma once
#include <cstdint>
#include <span>

#include "Picture.h"

namespace pageplayer {

// How a camera says its picture is to be turned to stand upright, in the
// numbering of the EXIF "Orientation" tag: 1 as stored, 2 mirrored, 3 half a
// turn, 4 flipped, 5 to 8 with rows and columns exchanged (6: a quarter turn
// clockwise, 8: counter-clockwise).
using TOrientation = int;
inline constexpr TOrientation kUpright = 1;

// The orientation an APP1 segment's EXIF data gives (its bytes after the
// marker's length); kUpright for anything else, damaged or absent.
TOrientation ExifOrientation(std::span<const std::uint8_t> app1);

inline bool ExchangesSides(TOrientation orientation) { return orientation >= 5 && orientation <= 8; }

// The stored picture turned so that it stands upright.
TPicture Orient(TPicture stored, TOrientation orientation);

}  // namespace pageplayer
