#include "PictureDecoder.h"

#include <algorithm>

namespace pageplayer {

namespace {

// Averages the source pixels that fall into each target pixel.
TPicture ShrinkToFit(const TPicture& source, TDecodeBox box) {
  const double scale = std::min(static_cast<double>(box.width) / source.width, static_cast<double>(box.height) / source.height);
  if (scale >= 1.0) return source;
  TPicture shrunk;
  shrunk.width = std::max(1, static_cast<int>(source.width * scale));
  shrunk.height = std::max(1, static_cast<int>(source.height * scale));
  shrunk.pixels.resize(static_cast<std::size_t>(shrunk.width) * shrunk.height);
  for (int y = 0; y < shrunk.height; ++y) {
    const int y0 = y * source.height / shrunk.height;
    const int y1 = std::max(y0 + 1, (y + 1) * source.height / shrunk.height);
    for (int x = 0; x < shrunk.width; ++x) {
      const int x0 = x * source.width / shrunk.width;
      const int x1 = std::max(x0 + 1, (x + 1) * source.width / shrunk.width);
      std::uint64_t sum[3] = {};
      for (int sy = y0; sy < y1; ++sy)
        for (int sx = x0; sx < x1; ++sx) {
          const std::uint32_t p = source.pixels[static_cast<std::size_t>(sy) * source.width + sx];
          sum[0] += p & 0xFF;
          sum[1] += (p >> 8) & 0xFF;
          sum[2] += (p >> 16) & 0xFF;
        }
      const std::uint64_t n = static_cast<std::uint64_t>(y1 - y0) * (x1 - x0);
      shrunk.pixels[static_cast<std::size_t>(y) * shrunk.width + x] =
          static_cast<std::uint32_t>(sum[0] / n | (sum[1] / n) << 8 | (sum[2] / n) << 16);
    }
  }
  return shrunk;
}

}  // namespace

TDecodedPicture DecodePicture(std::span<const std::uint8_t> bytes, TDecodeBox box) {
  TDecodedPicture decoded;
  decoded.picture = DecodeJpeg(bytes);
  if (!decoded.picture) {
    decoded.failure = "not a JPEG picture that decodes completely";
    return decoded;
  }
  decoded.sourceWidth = decoded.picture->width;
  decoded.sourceHeight = decoded.picture->height;
  if (box.width > 0 && box.height > 0) decoded.picture = ShrinkToFit(*decoded.picture, box);
  return decoded;
}

}  // namespace pageplayer
