#pragma once
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace pageplayer {

// A decoded picture: 32-bit pixels, top row first, blue-green-red-unused
// byte order, which is what a 32-bit device-independent bitmap takes.
struct TPicture {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;
};

// None when the bytes are not a JPEG picture that decodes completely.
std::optional<TPicture> DecodeJpeg(std::span<const std::uint8_t> bytes);

}  // namespace pageplayer
