#include <gtest/gtest.h>

#include "ZoomView.h"

namespace pageplayer {
namespace {

constexpr double kStageWidth = 1000, kStageHeight = 500;

TZoomView FittedView() {
  TZoomView view;
  view.SetStage(kStageWidth, kStageHeight);
  return view;
}

void ExpectRect(const TViewRect& actual, TViewRect expected, const char* what) {
  EXPECT_NEAR(actual.left, expected.left, 1e-6) << what;
  EXPECT_NEAR(actual.top, expected.top, 1e-6) << what;
  EXPECT_NEAR(actual.right, expected.right, 1e-6) << what;
  EXPECT_NEAR(actual.bottom, expected.bottom, 1e-6) << what;
}

TEST(ZoomView, ZoomInOutAndFit) {
  struct Case {
    const char* what;
    std::vector<int> percents;
    TViewRect shown;
  } cases[] = {
      {"fit at first", {}, {0, 0, 1000, 500}},
      {"50 shows half around the centre", {50}, {250, 125, 750, 375}},
      {"twice 50 shows a quarter", {50, 50}, {375, 187.5, 625, 312.5}},
      {"200 after 50 is back at the fit", {50, 200}, {0, 0, 1000, 500}},
      {"zooming out never goes beyond the stage", {400}, {0, 0, 1000, 500}},
      {"0 fits whatever came before", {50, 50, 0}, {0, 0, 1000, 500}},
      {"a negative percentage changes nothing", {50, -20}, {250, 125, 750, 375}},
      {"zooming in stops at the largest magnification", {1, 1, 1}, {484.375, 242.1875, 515.625, 257.8125}},
  };
  for (const Case& c : cases) {
    TZoomView view = FittedView();
    for (int percent : c.percents) view.Zoom(percent);
    ExpectRect(view.Shown(), c.shown, c.what);
  }
}

TEST(ZoomView, ZoomRectKeepsTheStageProportionsAndStaysOnTheStage) {
  struct Case {
    const char* what;
    TViewRect asked;
    TViewRect shown;
  } cases[] = {
      {"a rectangle of the stage's shape", {100, 100, 300, 200}, {100, 100, 300, 200}},
      {"a tall rectangle is widened around its centre", {300, 100, 400, 300}, {150, 100, 550, 300}},
      {"and pushed inside when widening crosses the edge", {100, 100, 200, 300}, {0, 100, 400, 300}},
      {"a rectangle over the edge is pushed back inside", {900, 400, 1100, 500}, {800, 400, 1000, 500}},
      {"a rectangle larger than the stage fits", {-500, -500, 2000, 2000}, {0, 0, 1000, 500}},
      {"an empty rectangle changes nothing", {300, 300, 300, 400}, {0, 0, 1000, 500}},
  };
  for (const Case& c : cases) {
    TZoomView view = FittedView();
    view.SetZoomRect(c.asked.left, c.asked.top, c.asked.right, c.asked.bottom);
    ExpectRect(view.Shown(), c.shown, c.what);
  }
}

TEST(ZoomView, PanMovesByPixelsOrPercentAndIsClamped) {
  struct Case {
    const char* what;
    double x, y;
    TZoomView::PanMode mode;
    TViewRect shown;
  } cases[] = {
      // Zoomed to twice: a window pixel is half a stage unit.
      {"pixels", 100, 50, TZoomView::PanMode::Pixels, {300, 150, 800, 400}},
      {"percent of the view", 10, -20, TZoomView::PanMode::Percent, {300, 75, 800, 325}},
      {"never past the stage's edge", 5000, 5000, TZoomView::PanMode::Pixels, {500, 250, 1000, 500}},
      {"nor past its start", -100, -100, TZoomView::PanMode::Percent, {0, 0, 500, 250}},
  };
  for (const Case& c : cases) {
    TZoomView view = FittedView();
    view.Zoom(50);
    view.Pan(c.x, c.y, c.mode);
    ExpectRect(view.Shown(), c.shown, c.what);
  }
  TZoomView fitted = FittedView();
  fitted.Pan(100, 100, TZoomView::PanMode::Pixels);
  EXPECT_TRUE(fitted.Fits()) << "a fitted view has nowhere to pan";
}

TEST(ZoomView, ZoomAroundAPointKeepsItUnderThePointer) {
  TZoomView view = FittedView();
  const double windowX = 200, windowY = 100;
  const double stageX = view.StageX(windowX), stageY = view.StageY(windowY);
  view.ZoomAround(2.0, windowX, windowY);
  EXPECT_NEAR(view.Magnification(), 2.0, 1e-9);
  EXPECT_NEAR(view.StageX(windowX), stageX, 1e-9);
  EXPECT_NEAR(view.StageY(windowY), stageY, 1e-9);
  view.ZoomAround(4.0, 900, 450);
  EXPECT_NEAR(view.Magnification(), 8.0, 1e-9);
  view.ZoomAround(0.01, 900, 450);
  EXPECT_TRUE(view.Fits()) << "zooming out far ends at the fit";

  // Near the edge the point cannot stay put without leaving the stage:
  // the view is clamped instead.
  view.MagnifyAt(4.0, 0, 0);
  ExpectRect(view.Shown(), {0, 0, 250, 125}, "at the corner");
}

TEST(ZoomView, AResizedStageKeepsMagnificationAndCentre) {
  TZoomView view = FittedView();
  view.SetZoomRect(400, 200, 600, 300);
  view.SetStage(2000, 1000);
  ExpectRect(view.Shown(), {800, 400, 1200, 600}, "zoomed");
  TZoomView fitted = FittedView();
  fitted.SetStage(300, 600);
  EXPECT_TRUE(fitted.Fits());
}

}  // namespace
}  // namespace pageplayer
