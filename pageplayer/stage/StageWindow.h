#pragma once
#include <windows.h>

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

protected:
  ~IStageOwner() = default;
};

// The player's window: paints the stage and turns keys, clicks and its
// context menu into the owner's commands.
class TStageWindow final : private IWindowHandler {
public:
  explicit TStageWindow(IStageOwner& owner) : owner_(owner) {}
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
  void ShowContextMenu(HWND window, LPARAM at);
  void Turn(TTurn turn);

  IStageOwner& owner_;
  HWND window_ = nullptr;
  TPageClick click_;
};

}  // namespace pageplayer
