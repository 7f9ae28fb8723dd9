// JPEG decoding into 32-bit pixels; no platform code, so it builds and is
// tested natively too.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "Exception.h"

namespace ui {

class EInvalidGraphic : public Exception {
public:
  using Exception::Exception;
};

// Rows top-down, 4 bytes per pixel in the order blue, green, red, 255.
struct TDecodedImage {
  int Width = 0;
  int Height = 0;
  std::vector<std::uint8_t> Bgra;
};

// Raises EInvalidGraphic for data that is not a decodable JPEG.
TDecodedImage DecodeJpeg(const std::uint8_t* data, std::size_t size);

}  // namespace ui
