#pragma once
#include <cstdint>
#include <span>

#include "Picture.h"

namespace pageplayer {

// The first frame of a GIF picture on its logical screen, at full size,
// whatever it leaves transparent or uncovered showing the paper; what of the
// frame lies off the screen is not shown. Later frames
// are not read. Raises EPictureError.
TPicture DecodeGif(std::span<const std::uint8_t> bytes, std::uint32_t paper);

}  // namespace pageplayer
