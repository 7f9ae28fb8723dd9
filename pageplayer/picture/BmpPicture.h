#pragma once
#include <cstdint>
#include <span>

#include "Picture.h"

namespace pageplayer {

// A Windows bitmap file, uncompressed: 1, 4 or 8 bits through its palette,
// 16, 24 or 32 bits directly or through colour masks, stored bottom-up or
// top-down; at full size. Raises EPictureError.
TPicture DecodeBmp(std::span<const std::uint8_t> bytes);

}  // namespace pageplayer
