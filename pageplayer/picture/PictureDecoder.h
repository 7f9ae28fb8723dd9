#pragma once
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "JpegPicture.h"

namespace pageplayer {

// The box a picture is decoded into: it is scaled down, keeping its shape,
// until it fits; never up. A box of 0 x 0 asks for full resolution.
struct TDecodeBox {
  int width = 0;
  int height = 0;
};

struct TDecodedPicture {
  std::optional<TPicture> picture;
  // The picture's own size, upright: what full resolution would give.
  int sourceWidth = 0;
  int sourceHeight = 0;
  // Why there is no picture, for the log.
  std::string failure;
};

// Decodes a page picture of any format the player knows, upright.
TDecodedPicture DecodePicture(std::span<const std::uint8_t> bytes, TDecodeBox box);

}  // namespace pageplayer
