#include "ZoomView.h"

#include <algorithm>

namespace pageplayer {

void TZoomView::SetStage(double width, double height) {
  // Asked before every paint; the view changes only with the size.
  if (width == stageWidth_ && height == stageHeight_) return;
  const bool fitted = Fits();
  const double magnification = Magnification();
  const double centreX = (shown_.left + shown_.right) / 2 / std::max(stageWidth_, 1.0);
  const double centreY = (shown_.top + shown_.bottom) / 2 / std::max(stageHeight_, 1.0);
  stageWidth_ = std::max(width, 0.0);
  stageHeight_ = std::max(height, 0.0);
  // A resized window keeps its magnification and the middle of what it showed.
  if (fitted) return Fit();
  Show(centreX * stageWidth_, centreY * stageHeight_, stageWidth_ / magnification);
}

bool TZoomView::Fits() const {
  return shown_ == TViewRect{0, 0, stageWidth_, stageHeight_};
}

void TZoomView::Fit() { shown_ = {0, 0, stageWidth_, stageHeight_}; }

void TZoomView::Show(double centreX, double centreY, double width) {
  if (stageWidth_ <= 0 || stageHeight_ <= 0) return Fit();
  width = std::clamp(width, stageWidth_ / kLargestMagnification, stageWidth_);
  const double height = width * stageHeight_ / stageWidth_;
  const double left = std::clamp(centreX - width / 2, 0.0, stageWidth_ - width);
  const double top = std::clamp(centreY - height / 2, 0.0, stageHeight_ - height);
  shown_ = {left, top, left + width, top + height};
  // Rounding must not leave a view that is the stage but does not say so.
  if (width >= stageWidth_) Fit();
}

void TZoomView::Zoom(int percent) {
  if (percent < 0) return;
  if (percent == 0) return Fit();
  Show((shown_.left + shown_.right) / 2, (shown_.top + shown_.bottom) / 2, shown_.Width() * percent / 100.0);
}

void TZoomView::SetZoomRect(double left, double top, double right, double bottom) {
  if (right <= left || bottom <= top || stageWidth_ <= 0 || stageHeight_ <= 0) return;
  // The view keeps the stage's proportions: the rectangle is widened, never cut.
  const double width = std::max(right - left, (bottom - top) * stageWidth_ / stageHeight_);
  Show((left + right) / 2, (top + bottom) / 2, width);
}

void TZoomView::Pan(double x, double y, PanMode mode) {
  double dx = x, dy = y;
  if (mode == PanMode::Percent) {
    dx = x * shown_.Width() / 100;
    dy = y * shown_.Height() / 100;
  } else if (stageWidth_ > 0) {
    // Window pixels are stage units divided by the magnification.
    dx = x / Magnification();
    dy = y / Magnification();
  }
  Show((shown_.left + shown_.right) / 2 + dx, (shown_.top + shown_.bottom) / 2 + dy, shown_.Width());
}

double TZoomView::StageX(double windowX) const {
  return stageWidth_ > 0 ? shown_.left + windowX * shown_.Width() / stageWidth_ : 0;
}

double TZoomView::StageY(double windowY) const {
  return stageHeight_ > 0 ? shown_.top + windowY * shown_.Height() / stageHeight_ : 0;
}

void TZoomView::ZoomAround(double factor, double windowX, double windowY) {
  if (factor <= 0) return;
  MagnifyAt(Magnification() * factor, windowX, windowY);
}

void TZoomView::MagnifyAt(double magnification, double windowX, double windowY) {
  if (stageWidth_ <= 0 || stageHeight_ <= 0 || magnification <= 0) return;
  const double pointX = StageX(windowX), pointY = StageY(windowY);
  const double width = stageWidth_ / std::clamp(magnification, 1.0, kLargestMagnification);
  const double height = width * stageHeight_ / stageWidth_;
  // The point stays under the same window position: it sits at the same
  // fraction of the new view as of the window.
  const double left = pointX - windowX / stageWidth_ * width;
  const double top = pointY - windowY / stageHeight_ * height;
  Show(left + width / 2, top + height / 2, width);
}

}  // namespace pageplayer
