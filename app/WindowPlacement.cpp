#include "WindowPlacement.h"

#include <algorithm>

namespace {

// Between low and high; a work area smaller than the minimum wins over it.
int Fit(int value, int low, int high) { return std::max(std::min(value, high), std::min(low, high)); }

}  // namespace

TScreenRect PlaceBookWindow(const TScreenRect& current, int width, int height, const TScreenRect& workArea) {
  const int w = Fit(width, kMinBookWindowWidth, workArea.Width());
  const int h = Fit(height, kMinBookWindowHeight, workArea.Height());
  const int left = std::clamp(current.Left, workArea.Left, workArea.Right - w);
  const int top = std::clamp(current.Top, workArea.Top, workArea.Bottom - h);
  return {left, top, left + w, top + h};
}
