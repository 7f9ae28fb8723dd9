#include "PictureScaling.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "RowShrinker.h"

namespace pageplayer {

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

TPicture ShrinkTo(TPicture source, TPictureSize size) {
  if (size.width == source.width && size.height == source.height) return source;
  TRowShrinker shrinker({source.width, source.height}, size);
  for (int y = 0; y < source.height; ++y) shrinker.AddRow(source.pixels.data() + static_cast<std::size_t>(y) * source.width);
  return shrinker.Take();
}

}  // namespace pageplayer
