#pragma once
#include "Picture.h"

namespace pageplayer {

struct TPictureSize {
  int width = 0;
  int height = 0;
  bool operator==(const TPictureSize&) const = default;
};

// The size a picture of `source` is shown at in the box: its shape kept, as
// large as fits, never larger than the source, never below one pixel. A box
// of 0 x 0 gives the source.
TPictureSize FitInto(TPictureSize source, TDecodeBox box);

// The picture brought down to `size` (no side larger than the source's) by
// averaging the area of the source that each new pixel covers, partial pixels
// weighted by how much of them it covers.
TPicture ShrinkTo(TPicture source, TPictureSize size);

}  // namespace pageplayer
