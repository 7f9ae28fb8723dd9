#include "stage/StageWindow.h"

#include <windowsx.h>

#include <cmath>
#include <cstdlib>

#include "PagePlayerModule.h"
#include "resources/PagePlayerResources.h"

namespace pageplayer {

namespace {
constexpr UINT_PTR kClickTimer = 1;
constexpr UINT kClickSettleMilliseconds = 200;
constexpr UINT_PTR kPendingTurnTimer = 2;
// One press of Ctrl+Plus or Ctrl+Minus, or one notch of Ctrl+wheel.
constexpr double kZoomStep = 1.25;
// A notch of the wheel scrolls a zoomed view by this part of the window.
constexpr int kScrollParts = 8;

bool ControlDown() { return GetKeyState(VK_CONTROL) < 0; }

// A click turns forward or back, never further.
TTurn Opposite(TTurn turn) { return turn == TTurn::Forward ? TTurn::Back : TTurn::Forward; }
}  // namespace

TStageWindow::TStageWindow(IStageOwner& owner)
    : owner_(owner), drag_(GetSystemMetrics(SM_CXDRAG), GetSystemMetrics(SM_CYDRAG)) {}

bool TStageWindow::Create(HWND parent, const RECT& bounds) {
  if (window_) return true;
  window_ = CreateStageWindow(parent, bounds, *this);
  return window_ != nullptr;
}

void TStageWindow::Destroy() {
  if (!window_) return;
  const HWND window = window_;
  window_ = nullptr;
  DestroyWindow(window);
}

void TStageWindow::Move(const RECT& bounds) {
  if (window_) {
    SetWindowPos(window_, nullptr, bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    Invalidate();
  }
}

void TStageWindow::Invalidate() {
  if (window_) InvalidateRect(window_, nullptr, FALSE);
}

bool TStageWindow::Turn(TTurn turn) {
  if (!owner_.Turn(turn)) return false;
  click_.Play();
  if (window_) SetTimer(window_, kClickTimer, kClickSettleMilliseconds, nullptr);
  Invalidate();
  return true;
}

TTurn TStageWindow::SideOf(HWND window, int x) const {
  RECT client;
  GetClientRect(window, &client);
  return x >= (client.right - client.left) / 2 ? TTurn::Forward : TTurn::Back;
}

void TStageWindow::CancelPendingTurn() {
  pendingTurn_.reset();
  clickTurn_.reset();
  if (window_) KillTimer(window_, kPendingTurnTimer);
}

bool TStageWindow::HandleZoomKey(WPARAM key) {
  RECT client;
  GetClientRect(window_, &client);
  const int centreX = client.right / 2, centreY = client.bottom / 2;
  switch (key) {
    case VK_OEM_PLUS:
    case VK_ADD:
      owner_.ZoomAt(kZoomStep, centreX, centreY);
      return true;
    case VK_OEM_MINUS:
    case VK_SUBTRACT:
      owner_.ZoomAt(1 / kZoomStep, centreX, centreY);
      return true;
    case '0':
    case VK_NUMPAD0:
      owner_.FitView();
      return true;
    default:
      return false;
  }
}

void TStageWindow::HandleWheel(HWND window, WPARAM wParam, LPARAM lParam) {
  CancelPendingTurn();
  const int delta = GET_WHEEL_DELTA_WPARAM(wParam);
  const WORD keys = GET_KEYSTATE_WPARAM(wParam);
  // The message gives the pointer on the screen.
  POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  ScreenToClient(window, &point);
  if (keys & MK_CONTROL) {
    wheel_.Reset();
    owner_.ZoomAt(std::pow(kZoomStep, static_cast<double>(delta) / WHEEL_DELTA), point.x, point.y);
    return;
  }
  if (owner_.Zoomed()) {
    wheel_.Reset();
    RECT client;
    GetClientRect(window, &client);
    // Turning the wheel away from the person brings what is above into view.
    const int step = MulDiv(delta, (client.bottom - client.top) / kScrollParts, WHEEL_DELTA);
    if (keys & MK_SHIFT) {
      owner_.MoveContent(step, 0);
    } else {
      owner_.MoveContent(0, step);
    }
    return;
  }
  const int notches = wheel_.Add(delta);
  for (int notch = 0; notch < std::abs(notches); ++notch) {
    if (!Turn(notches > 0 ? TTurn::Back : TTurn::Forward)) break;
  }
}

void TStageWindow::ButtonDown(HWND window, LPARAM at) {
  SetFocus(window);
  CancelPendingTurn();
  const int x = GET_X_LPARAM(at), y = GET_Y_LPARAM(at);
  if (!owner_.Zoomed()) {
    // A fitted view turns at once, as the button goes down.
    const TTurn turn = SideOf(window, x);
    if (Turn(turn)) clickTurn_ = turn;
    return;
  }
  drag_.Press(x, y);
  SetCapture(window);
}

void TStageWindow::PointerMoved(LPARAM at) {
  if (const auto step = drag_.Move(GET_X_LPARAM(at), GET_Y_LPARAM(at))) owner_.MoveContent(step->dx, step->dy);
}

void TStageWindow::ButtonUp(HWND window, LPARAM at) {
  if (!drag_.Pressed()) return;
  PointerMoved(at);
  const bool click = drag_.Release();
  if (GetCapture() == window) ReleaseCapture();
  if (!click) return;
  // A click on a zoomed view turns once it is clear that no second click
  // makes it a double click, which would fit the view instead.
  pendingTurn_ = SideOf(window, GET_X_LPARAM(at));
  SetTimer(window, kPendingTurnTimer, GetDoubleClickTime(), nullptr);
}

void TStageWindow::DoubleClick(LPARAM at) {
  const std::optional<TTurn> undone = clickTurn_;
  CancelPendingTurn();
  // Its first click turned the page: the double click was meant for the
  // spread that was shown then.
  if (undone) owner_.Turn(Opposite(*undone));
  owner_.ToggleActualSize(GET_X_LPARAM(at), GET_Y_LPARAM(at));
  Invalidate();
}

bool TStageWindow::HandleKey(WPARAM key) {
  CancelPendingTurn();
  if (ControlDown() && HandleZoomKey(key)) return true;
  switch (key) {
    case VK_RIGHT:
    case VK_NEXT:
    case VK_SPACE:
      Turn(TTurn::Forward);
      return true;
    case VK_LEFT:
    case VK_PRIOR:
      Turn(TTurn::Back);
      return true;
    case VK_HOME:
      Turn(TTurn::First);
      return true;
    case VK_END:
      Turn(TTurn::Last);
      return true;
    case VK_F11:
      owner_.ToggleFullscreen();
      return true;
    case VK_ESCAPE:
      owner_.LeaveFullscreen();
      return true;
    default:
      return false;
  }
}

void TStageWindow::ShowContextMenu(HWND window, LPARAM at) {
  POINT point{GET_X_LPARAM(at), GET_Y_LPARAM(at)};
  if (at == -1) {
    point = {0, 0};
    ClientToScreen(window, &point);
  }
  const HMENU menu = LoadMenuA(ModuleInstance(), MAKEINTRESOURCEA(IDM_PAGEPLAYER_CONTEXT));
  if (!menu) return;
  const UINT command = TrackPopupMenu(GetSubMenu(menu, 0), TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, point.x,
                                      point.y, 0, window, nullptr);
  DestroyMenu(menu);
  switch (command) {
    case IDM_PAGEPLAYER_NEXT:
      Turn(TTurn::Forward);
      break;
    case IDM_PAGEPLAYER_PREVIOUS:
      Turn(TTurn::Back);
      break;
    case IDM_PAGEPLAYER_FULLSCREEN:
      owner_.ToggleFullscreen();
      break;
    default:
      break;
  }
}

void TStageWindow::Paint(HWND window) {
  PAINTSTRUCT paint;
  const HDC dc = BeginPaint(window, &paint);
  if (!dc) return;
  // Whatever fails, the paint must end, or the window would be asked again and again.
  try {
    RECT client;
    GetClientRect(window, &client);
    PaintStage(dc, client, owner_.CurrentView());
  } catch (...) {
  }
  EndPaint(window, &paint);
}

LRESULT TStageWindow::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT:
      Paint(window);
      return 0;
    case WM_ERASEBKGND:
      return 1;  // painting covers everything
    case WM_SIZE:
      InvalidateRect(window, nullptr, FALSE);
      return 0;
    case WM_GETDLGCODE:
      return DLGC_WANTALLKEYS | DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_KEYDOWN:
      if (HandleKey(wParam)) return 0;
      break;
    case WM_LBUTTONDOWN:
      ButtonDown(window, lParam);
      return 0;
    case WM_MOUSEMOVE:
      PointerMoved(lParam);
      return 0;
    case WM_LBUTTONUP:
      ButtonUp(window, lParam);
      return 0;
    case WM_CAPTURECHANGED:
      drag_.Cancel();
      return 0;
    case WM_LBUTTONDBLCLK:
      DoubleClick(lParam);
      return 0;
    case WM_MOUSEWHEEL:
      HandleWheel(window, wParam, lParam);
      return 0;
    case WM_CONTEXTMENU:
      ShowContextMenu(window, lParam);
      return 0;
    case WM_TIMER:
      if (wParam == kClickTimer) {
        if (!click_.Settle()) KillTimer(window, kClickTimer);
        return 0;
      }
      if (wParam == kPendingTurnTimer) {
        KillTimer(window, kPendingTurnTimer);
        const std::optional<TTurn> turn = pendingTurn_;
        pendingTurn_.reset();
        if (turn) Turn(*turn);
        return 0;
      }
      break;
    case WM_DESTROY:
      KillTimer(window, kClickTimer);
      KillTimer(window, kPendingTurnTimer);
      if (window == window_) window_ = nullptr;
      break;
    default:
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace pageplayer
