// libFuzzer target over page pictures: whatever the bytes, decoding ends in a
// picture no larger than the box or in a failure text, for every format
// (told apart by the first bytes, as in the player).
//
// The first input byte chooses the box and the paper; the rest is the picture.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "PictureDecoder.h"

using pageplayer::TDecodeBox;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  static constexpr TDecodeBox kBoxes[] = {{0, 0}, {100, 100}, {640, 480}, {7, 3}};
  TDecodeBox box = kBoxes[data[0] & 3];
  box.paper = data[0] & 4 ? 0x102030 : 0xFFFFFF;
  const auto decoded = pageplayer::DecodePicture({data + 1, size - 1}, box);
  if (decoded.picture) {
    const auto& picture = *decoded.picture;
    if (picture.width <= 0 || picture.height <= 0 ||
        picture.pixels.size() != static_cast<std::size_t>(picture.width) * picture.height) {
      std::abort();
    }
    if (box.width > 0 && (picture.width > box.width || picture.height > box.height)) std::abort();
    for (const std::uint32_t pixel : picture.pixels) {
      if (pixel >> 24) std::abort();
    }
  } else if (decoded.failure.empty()) {
    std::abort();
  }
  return 0;
}
