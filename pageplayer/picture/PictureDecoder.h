#pragma once
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "Picture.h"

namespace pageplayer {

struct TDecodedPicture {
  std::optional<TPicture> picture;
  // The picture's own size, upright: what full resolution would give.
  int sourceWidth = 0;
  int sourceHeight = 0;
  // Why there is no picture, for the log.
  std::string failure;
};

// Decodes a page picture of any format the player knows (JPEG, PNG, GIF,
// BMP, told apart by their first bytes), upright, fitted into the box.
TDecodedPicture DecodePicture(std::span<const std::uint8_t> bytes, TDecodeBox box);

}  // namespace pageplayer
