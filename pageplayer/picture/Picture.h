#pragma once
#include <cstdint>
#include <vector>

namespace pageplayer {

// A decoded picture: 32-bit pixels, top row first, blue-green-red-unused
// byte order, which is what a 32-bit device-independent bitmap takes. The
// unused byte is zero.
struct TPicture {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;
};

// The box a picture is decoded into: it is scaled down, keeping its shape,
// until it fits; never up. A box of 0 x 0 asks for full resolution. What a
// picture leaves transparent shows the paper.
struct TDecodeBox {
  int width = 0;
  int height = 0;
  std::uint32_t paper = 0xFFFFFF;
};

}  // namespace pageplayer
