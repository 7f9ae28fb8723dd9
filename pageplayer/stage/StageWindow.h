#pragma once
#include <windows.h>

#include <optional>

#include "PointerDrag.h"
#include "WheelNotches.h"
#include "fetch/PageClick.h"
#include "stage/StageRenderer.h"
#include "stage/StageWindowClass.h"

namespace pageplayer {

enum class TTurn { Forward, Back, First, Last };

// What the stage window asks of the player that owns it.
class IStageOwner {
public:
  virtual TStageView CurrentView() = 0;
  // True when the page changed.
  virtual bool Turn(TTurn turn) = 0;
  virtual void ToggleFullscreen() = 0;
  virtual void LeaveFullscreen() = 0;

  // The view, in window pixels; each redraws what it changes.
  virtual bool Zoomed() = 0;
  // Magnifies by factor (below 1 shrinks, never past the fit) keeping the
  // spot under the window point where it is.
  virtual void ZoomAt(double factor, int x, int y) = 0;
  virtual void FitView() = 0;
  // Moves what is shown by this many window pixels (the view goes the other way).
  virtual void MoveContent(int dx, int dy) = 0;
  // Fits a zoomed view; shows a fitted one at the page's own pixels around the point.
  virtual void ToggleActualSize(int x, int y) = 0;

protected:
  ~IStageOwner() = default;
};

// The player's window: paints the stage and turns keys, clicks, drags, the
// wheel and its context menu into the owner's commands.
class TStageWindow final : private IWindowHandler {
public:
  explicit TStageWindow(IStageOwner& owner);
  TStageWindow(const TStageWindow&) = delete;
  TStageWindow& operator=(const TStageWindow&) = delete;
  ~TStageWindow() { Destroy(); }

  bool Create(HWND parent, const RECT& bounds);
  void Destroy();
  void Move(const RECT& bounds);
  void Invalidate();
  HWND Handle() const { return window_; }

private:
  LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
  void Paint(HWND window);
  bool HandleKey(WPARAM key);
  bool HandleZoomKey(WPARAM key);
  void HandleWheel(HWND window, WPARAM wParam, LPARAM lParam);
  void ButtonDown(HWND window, LPARAM at);
  void ButtonUp(HWND window, LPARAM at);
  void PointerMoved(LPARAM at);
  void DoubleClick(LPARAM at);
  void ShowContextMenu(HWND window, LPARAM at);
  bool Turn(TTurn turn);
  void CancelPendingTurn();
  TTurn SideOf(HWND window, int x) const;

  IStageOwner& owner_;
  HWND window_ = nullptr;
  TPageClick click_;
  TPointerDrag drag_;
  TWheelNotches wheel_;
  // The turn a click on a fitted view made at once: a double click, whose
  // first click it was, takes it back.
  std::optional<TTurn> clickTurn_;
  // The turn a click on a zoomed view makes once no second click follows.
  std::optional<TTurn> pendingTurn_;
};

}  // namespace pageplayer
