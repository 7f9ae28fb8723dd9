#include "stage/StageWindow.h"

#include <windowsx.h>

#include "PagePlayerModule.h"
#include "resources/PagePlayerResources.h"

namespace pageplayer {

namespace {
constexpr UINT_PTR kClickTimer = 1;
constexpr UINT kClickSettleMilliseconds = 200;
}  // namespace

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

void TStageWindow::Turn(TTurn turn) {
  if (!owner_.Turn(turn)) return;
  click_.Play();
  if (window_) SetTimer(window_, kClickTimer, kClickSettleMilliseconds, nullptr);
  Invalidate();
}

bool TStageWindow::HandleKey(WPARAM key) {
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
    case WM_LBUTTONDOWN: {
      SetFocus(window);
      RECT client;
      GetClientRect(window, &client);
      Turn(GET_X_LPARAM(lParam) >= (client.right - client.left) / 2 ? TTurn::Forward : TTurn::Back);
      return 0;
    }
    case WM_LBUTTONDBLCLK:
      owner_.ToggleFullscreen();
      return 0;
    case WM_CONTEXTMENU:
      ShowContextMenu(window, lParam);
      return 0;
    case WM_TIMER:
      if (wParam == kClickTimer) {
        if (!click_.Settle()) KillTimer(window, kClickTimer);
        return 0;
      }
      break;
    case WM_DESTROY:
      KillTimer(window, kClickTimer);
      if (window == window_) window_ = nullptr;
      break;
    default:
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace pageplayer
