#pragma once
#include <cstdint>
#include <span>

#include "Picture.h"

namespace pageplayer {

// A PNG picture of any kind (gray, RGB, palette; 1 to 16 bits; interlaced or
// not), at full size, whatever it leaves transparent showing the paper.
// Raises EPictureError.
TPicture DecodePng(std::span<const std::uint8_t> bytes, std::uint32_t paper);

}  // namespace pageplayer
