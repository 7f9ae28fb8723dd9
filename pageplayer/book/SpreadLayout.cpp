#include "SpreadLayout.h"

#include <algorithm>

namespace pageplayer {

namespace {

constexpr int kMargin = 8;
constexpr int kNumberBand = 24;

bool Known(TPageSize size) { return size.width > 0 && size.height > 0; }

// The largest box of the page's proportions inside the slot, pushed towards
// the spine (alignRight for a left-hand page) and centred vertically.
TBox Fit(const TBox& slot, TPageSize page, int alignment) {
  if (slot.Width() <= 0 || slot.Height() <= 0) return {slot.left, slot.top, slot.left, slot.top};
  long long width = slot.Width();
  long long height = width * page.height / page.width;
  if (height > slot.Height()) {
    height = slot.Height();
    width = height * page.width / page.height;
  }
  const int spare = slot.Width() - static_cast<int>(width);
  const int left = slot.left + (alignment < 0 ? 0 : alignment > 0 ? spare : spare / 2);
  const int top = slot.top + (slot.Height() - static_cast<int>(height)) / 2;
  return {left, top, left + static_cast<int>(width), top + static_cast<int>(height)};
}

}  // namespace

std::vector<TPlacedPage> LayoutSpread(int stageWidth, int stageHeight, const std::vector<TPageSize>& pages,
                                      TPageSize fallback) {
  std::vector<TPlacedPage> placed;
  if (pages.empty()) return placed;
  if (!Known(fallback)) fallback = {3, 4};
  const int count = static_cast<int>(std::min<std::size_t>(pages.size(), 2));
  const TBox area{kMargin, kMargin, std::max(kMargin, stageWidth - kMargin),
                  std::max(kMargin, stageHeight - kMargin - kNumberBand)};
  const int middle = area.left + area.Width() / 2;
  for (int i = 0; i < count; ++i) {
    TPageSize size = pages[i];
    if (!Known(size)) size = count == 2 && Known(pages[1 - i]) ? pages[1 - i] : fallback;
    TBox slot = area;
    int alignment = 0;
    if (count == 2) {
      slot = i == 0 ? TBox{area.left, area.top, middle, area.bottom} : TBox{middle, area.top, area.right, area.bottom};
      alignment = i == 0 ? 1 : -1;
    }
    const TBox picture = Fit(slot, size, alignment);
    placed.push_back({picture, {picture.left, picture.bottom, picture.right, picture.bottom + kNumberBand}});
  }
  return placed;
}

}  // namespace pageplayer
