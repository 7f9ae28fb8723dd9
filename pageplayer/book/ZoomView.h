#pragma once

namespace pageplayer {

// A rectangle in the stage's own units (the coordinates of the fitted spread).
struct TViewRect {
  double left = 0, top = 0, right = 0, bottom = 0;
  double Width() const { return right - left; }
  double Height() const { return bottom - top; }
  bool operator==(const TViewRect&) const = default;
};

// Which part of the stage the window shows: the whole stage when it fits,
// a smaller rectangle of the stage's proportions when zoomed in. The shown
// rectangle never leaves the stage and never grows beyond it, so a zoomed
// view always shows some of the spread and zooming out ends at the fit.
class TZoomView {
public:
  // How far in a view may go: a stage shown at this many times its size.
  static constexpr double kLargestMagnification = 32.0;

  void SetStage(double width, double height);
  const TViewRect& Shown() const { return shown_; }
  bool Fits() const;
  double Magnification() const { return stageWidth_ > 0 ? stageWidth_ / shown_.Width() : 1.0; }

  // The movie player's calls. Zoom: 0 fits; below 100 shows that percentage
  // of the current view (in), above 100 that percentage (out); around the
  // centre. A negative percentage changes nothing.
  void Zoom(int percent);
  // Shows that rectangle of the stage, widened to the stage's proportions
  // around its centre. An empty rectangle changes nothing.
  void SetZoomRect(double left, double top, double right, double bottom);
  enum class PanMode { Pixels = 0, Percent = 1 };
  // Moves the view by window pixels, or by percent of the view's size.
  void Pan(double x, double y, PanMode mode);

  // Scales the view by factor (above 1 zooms in) keeping the stage point
  // under the window point (x, y) where it is.
  void ZoomAround(double factor, double windowX, double windowY);
  // Shows the stage at this magnification with the stage point under the
  // window point kept in place (1 fits).
  void MagnifyAt(double magnification, double windowX, double windowY);
  void Fit();

  // Where a window point lies on the stage.
  double StageX(double windowX) const;
  double StageY(double windowY) const;

private:
  void Show(double centreX, double centreY, double width);

  double stageWidth_ = 0;
  double stageHeight_ = 0;
  TViewRect shown_;
};

}  // namespace pageplayer
