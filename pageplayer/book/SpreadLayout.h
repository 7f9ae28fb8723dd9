#pragma once
#include <vector>

namespace pageplayer {

struct TBox {
  int left = 0, top = 0, right = 0, bottom = 0;
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  bool operator==(const TBox&) const = default;
};

struct TPageSize {
  int width = 0, height = 0;  // 0 when unknown
};

struct TPlacedPage {
  TBox picture;  // where the page is drawn, its proportions kept
  TBox number;   // the band under it for the page number
};

// Places one page, or two facing pages meeting at the middle, scaled to fit
// the stage above a band for the page numbers. A page of unknown size takes
// the other page's proportions, or those of the fallback.
std::vector<TPlacedPage> LayoutSpread(int stageWidth, int stageHeight, const std::vector<TPageSize>& pages,
                                      TPageSize fallback);

}  // namespace pageplayer
