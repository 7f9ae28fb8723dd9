#include "PictureScaling.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace pageplayer {

namespace {

// Which source pixels one target pixel covers, and by how much. With the
// target pixel `sourceLength` units long and each source pixel
// `targetLength` units long, every overlap is a whole number and the
// overlaps of one target pixel add up to `sourceLength`.
struct TCover {
  int first = 0;
  std::vector<std::uint32_t> weights;
};

std::vector<TCover> CoversOf(int sourceLength, int targetLength) {
  std::vector<TCover> covers(static_cast<std::size_t>(targetLength));
  const std::uint64_t s = static_cast<std::uint64_t>(sourceLength), t = static_cast<std::uint64_t>(targetLength);
  for (std::uint64_t i = 0; i < t; ++i) {
    const std::uint64_t begin = i * s, end = begin + s;
    TCover& cover = covers[i];
    cover.first = static_cast<int>(begin / t);
    for (std::uint64_t p = begin / t; p * t < end; ++p) {
      const std::uint64_t from = std::max(begin, p * t), to = std::min(end, (p + 1) * t);
      cover.weights.push_back(static_cast<std::uint32_t>(to - from));
    }
  }
  return covers;
}

// One source row brought to the target width; each channel scaled by the
// source width (at most 255 x 16384, well inside 32 bits).
void ShrinkRow(const std::uint32_t* row, const std::vector<TCover>& covers, std::uint32_t* sums) {
  for (const TCover& cover : covers) {
    std::uint32_t blue = 0, green = 0, red = 0;
    const std::uint32_t* pixel = row + cover.first;
    for (const std::uint32_t weight : cover.weights) {
      const std::uint32_t p = *pixel++;
      blue += (p & 0xFF) * weight;
      green += ((p >> 8) & 0xFF) * weight;
      red += ((p >> 16) & 0xFF) * weight;
    }
    *sums++ = blue;
    *sums++ = green;
    *sums++ = red;
  }
}

}  // namespace

TPictureSize FitInto(TPictureSize source, TDecodeBox box) {
  if (box.width <= 0 || box.height <= 0 || (source.width <= box.width && source.height <= box.height)) return source;
  const double scale = std::min(static_cast<double>(box.width) / source.width,
                                static_cast<double>(box.height) / source.height);
  // Rounded, but never past the box on the side that decides the scale.
  const int width = std::clamp(static_cast<int>(std::lround(source.width * scale)), 1, std::min(box.width, source.width));
  const int height =
      std::clamp(static_cast<int>(std::lround(source.height * scale)), 1, std::min(box.height, source.height));
  return {width, height};
}

TPicture ShrinkTo(const TPicture& source, TPictureSize size) {
  if (size.width == source.width && size.height == source.height) return source;
  const std::vector<TCover> columns = CoversOf(source.width, size.width);
  const std::vector<TCover> rows = CoversOf(source.height, size.height);
  TPicture shrunk;
  shrunk.width = size.width;
  shrunk.height = size.height;
  shrunk.pixels.resize(static_cast<std::size_t>(size.width) * size.height);
  const std::size_t channels = static_cast<std::size_t>(size.width) * 3;
  std::vector<std::uint32_t> rowSums(channels);
  std::vector<std::uint64_t> sums(channels);
  const std::uint64_t divisor = static_cast<std::uint64_t>(source.width) * source.height;
  std::uint32_t* out = shrunk.pixels.data();
  for (const TCover& cover : rows) {
    std::fill(sums.begin(), sums.end(), 0);
    int y = cover.first;
    for (const std::uint32_t weight : cover.weights) {
      ShrinkRow(source.pixels.data() + static_cast<std::size_t>(y++) * source.width, columns, rowSums.data());
      for (std::size_t i = 0; i < channels; ++i) sums[i] += static_cast<std::uint64_t>(rowSums[i]) * weight;
    }
    for (std::size_t i = 0; i < channels; i += 3) {
      const auto channel = [&](std::size_t c) { return static_cast<std::uint32_t>((sums[i + c] + divisor / 2) / divisor); };
      *out++ = channel(0) | channel(1) << 8 | channel(2) << 16;
    }
  }
  return shrunk;
}

}  // namespace pageplayer
