#include <cmath>
#include <limits>

#include "object/PagePlayerObject.h"

// What the stage shows: one page or two, and how far it is zoomed in. The
// zoom works in the stage's own units, which are the stage window's pixels
// when the view fits.
namespace pageplayer {

namespace {

// A double click on a page no larger than its fit shows it at twice that,
// so that the click still brings its detail closer.
constexpr double kLeastActualSize = 2.0;

}  // namespace

SIZE TPagePlayerObject::StageSize() const {
  RECT client{};
  if (stage_.Handle()) GetClientRect(stage_.Handle(), &client);
  return {client.right - client.left, client.bottom - client.top};
}

void TPagePlayerObject::FollowStageShape() {
  if (!stage_.Handle()) return;
  const SIZE size = StageSize();
  book_->Navigator().SetFacingPages(ShowsFacingPages(layout_, size.cx, size.cy));
}

TZoomView& TPagePlayerObject::View() {
  FollowStageShape();
  const SIZE size = StageSize();
  zoom_.SetStage(size.cx, size.cy);
  const TBookNavigator& navigator = book_->Navigator();
  const std::pair spread{navigator.FirstShownPage(), navigator.ShownPageCount()};
  if (spread != zoomedSpread_ || spread.second == 0) {
    zoom_.Fit();
    zoomedSpread_ = spread;
  }
  return zoom_;
}

TStageView TPagePlayerObject::CurrentView() {
  const TZoomView& zoom = View();
  const SIZE size = StageSize();
  TStageView view = book_->PrepareView(Background(), size.cx, size.cy, zoom.Magnification());
  if (!zoom.Fits()) view.zoom = zoom.Shown();
  return view;
}

bool TPagePlayerObject::Zoomed() { return !View().Fits(); }

void TPagePlayerObject::ZoomAt(double factor, int x, int y) {
  View().ZoomAround(factor, x, y);
  ViewChanged();
}

void TPagePlayerObject::FitView() {
  View().Fit();
  ViewChanged();
}

void TPagePlayerObject::MoveContent(int dx, int dy) {
  View().Pan(-dx, -dy, TZoomView::PanMode::Pixels);
  ViewChanged();
}

void TPagePlayerObject::ToggleActualSize(int x, int y) {
  TZoomView& zoom = View();
  if (!zoom.Fits()) return FitView();
  const TStageView view = CurrentView();
  const SIZE size = StageSize();
  const std::vector<TPlacedPage> placed = PlaceShownPages(size.cx, size.cy, view);
  if (placed.empty() || placed.size() != view.pages.size()) return;
  // The page under the pointer, or the nearer one when it is beside them.
  std::size_t chosen = 0;
  double nearest = std::numeric_limits<double>::max();
  for (std::size_t i = 0; i < placed.size(); ++i) {
    const TBox& box = placed[i].picture;
    const double distance = x < box.left ? box.left - x : x > box.right ? x - box.right : 0;
    if (distance < nearest) {
      nearest = distance;
      chosen = i;
    }
  }
  const int fittedWidth = placed[chosen].picture.Width();
  const int ownWidth = view.pages[chosen].sourceWidth;
  const double actual = fittedWidth > 0 && ownWidth > 0 ? static_cast<double>(ownWidth) / fittedWidth : 0;
  zoom.MagnifyAt(std::max(actual, kLeastActualSize), x, y);
  ViewChanged();
}

// The movie player's view methods

HRESULT STDMETHODCALLTYPE TPagePlayerObject::SetZoomRect(long left, long top, long right, long bottom) {
  View().SetZoomRect(left, top, right, bottom);
  ViewChanged();
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TPagePlayerObject::Zoom(long percent) {
  View().Zoom(percent);
  ViewChanged();
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TPagePlayerObject::Pan(long x, long y, long mode) {
  if (mode != static_cast<long>(TZoomView::PanMode::Pixels) && mode != static_cast<long>(TZoomView::PanMode::Percent)) {
    return E_INVALIDARG;
  }
  View().Pan(x, y, static_cast<TZoomView::PanMode>(mode));
  ViewChanged();
  return S_OK;
}

}  // namespace pageplayer
