#include "ui/WinControl.h"

#include <windowsx.h>
#include <commctrl.h>

#include <algorithm>

#include "Exception.h"
#include "ui/Application.h"
#include "ui/Form.h"
#include "ui/GdiHandle.h"
#include "ui/Menu.h"
#include "ui/Messages.h"

namespace ui {

namespace {

constexpr const char* kWindowClass = "VellToolkitWindow";
constexpr const char* kObjectProp = "VellToolkitObject";

}  // namespace

LRESULT CALLBACK ToolkitWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* cs = reinterpret_cast<CREATESTRUCTA*>(lParam);
    if (auto* control = static_cast<TWinControl*>(cs->lpCreateParams)) {
      control->handle_ = hwnd;
      SetPropA(hwnd, kObjectProp, control);
    }
  }
  auto* control = static_cast<TWinControl*>(GetPropA(hwnd, kObjectProp));
  if (!control) return DefWindowProcA(hwnd, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    WNDPROC original = control->defaultProc_;
    RemovePropA(hwnd, kObjectProp);
    control->handle_ = nullptr;
    return CallWindowProcA(original, hwnd, message, wParam, lParam);
  }
  // Nothing may unwind through the platform's frames: this is the top-level
  // handler that reports the error and lets the program go on.
  try {
    return control->WndProc(message, wParam, lParam);
  } catch (...) {
    Application().HandleException(std::current_exception());
    return 0;
  }
}

namespace {

// The control whose window is being bound by AdoptWindow on this thread.
thread_local TWinControl* controlBeingCreated = nullptr;

}  // namespace

// The first message after AdoptWindow binds the window to the waiting
// control and hands the window over to the toolkit's procedure for good.
LRESULT CALLBACK ToolkitInitialWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (TWinControl* control = controlBeingCreated) {
    controlBeingCreated = nullptr;
    control->handle_ = hwnd;
    SetPropA(hwnd, kObjectProp, control);
    SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ToolkitWindowProc));
  }
  return ToolkitWindowProc(hwnd, message, wParam, lParam);
}

namespace {

void RegisterToolkitClass() {
  static bool registered = false;
  if (registered) return;
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof(wc);
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = ToolkitWindowProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hIcon = LoadIconA(wc.hInstance, "MAINICON");
  if (!wc.hIcon) wc.hIcon = LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
  wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  wc.lpszClassName = kWindowClass;
  if (!RegisterClassExA(&wc)) throw Exception("Cannot register the window class");
  registered = true;
}

}  // namespace

COLORREF ColorToRGB(TColor color) {
  if (color & clSystemColor) return GetSysColor(static_cast<int>(color & 0xFF));
  return color & 0x00FFFFFF;
}

HCURSOR CursorHandle(TCursor cursor) {
  LPCSTR id = reinterpret_cast<LPCSTR>(IDC_ARROW);
  switch (cursor) {
    case TCursor::crHandPoint: id = reinterpret_cast<LPCSTR>(IDC_HAND); break;
    case TCursor::crIBeam: id = reinterpret_cast<LPCSTR>(IDC_IBEAM); break;
    case TCursor::crHourGlass: id = reinterpret_cast<LPCSTR>(IDC_WAIT); break;
    default: break;
  }
  return LoadCursorA(nullptr, id);
}

TWinControl::TWinControl(TComponent* owner) : TControl(owner) {}

TWinControl::~TWinControl() {
  BeginDestroy();
  hovered_ = pressed_ = nullptr;
  // Children go first (newest first), each leaving this list as it goes.
  while (!controls_.empty()) delete controls_.back();
  RemoveHintTool();
  DestroyHandle();
}

TWinControl* TWinControl::FromHandle(HWND hwnd) {
  return hwnd ? static_cast<TWinControl*>(GetPropA(hwnd, kObjectProp)) : nullptr;
}

HWND TWinControl::Handle() {
  if (!handle_) CreateHandle();
  return handle_;
}

void TWinControl::CreateParams(TCreateParams& params) {
  if (parent_) params.ParentWindow = parent_->Handle();
}

void TWinControl::CreateHandle() {
  if (handle_) return;
  TCreateParams params;
  CreateParams(params);
  // Asking for the parent's window creates the parent's children, this one
  // among them: a second window here would leave the first bound to us.
  if (handle_) return;
  if (params.Style & WS_CHILD) {
    if (!params.ParentWindow) throw Exception("Control '" + Name + "' has no parent window");
    if (visible_) params.Style |= WS_VISIBLE; else params.Style &= ~WS_VISIBLE;
  }
  HINSTANCE instance = GetModuleHandleA(nullptr);
  bool ownClass = params.ClassName.empty();
  if (ownClass) RegisterToolkitClass();
  defaultProc_ = DefWindowProcA;
  HWND hwnd = CreateWindowExA(params.ExStyle, ownClass ? kWindowClass : params.ClassName.c_str(), caption_.c_str(),
                              params.Style, left_, top_, width_, height_, params.ParentWindow, nullptr, instance,
                              ownClass ? this : nullptr);
  if (!hwnd) throw Exception("Cannot create the window of '" + Name + "'");
  if (!ownClass) {
    handle_ = hwnd;
    SetPropA(hwnd, kObjectProp, this);
    defaultProc_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ToolkitWindowProc)));
    SendMessageA(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Handle()), FALSE);
  }
  for (TControl* child : std::vector<TControl*>(controls_)) {
    if (child->IsWindowed()) static_cast<TWinControl*>(child)->CreateHandle();
  }
  // New child windows go to the bottom of the platform's z-order; lay them
  // out in the order of the list instead.
  for (TControl* child : controls_) {
    if (child->IsWindowed())
      SetWindowPos(static_cast<TWinControl*>(child)->handle_, HWND_TOP, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
    else
      child->UpdateHintTool();
  }
  UpdateHintTool();
  Realign();
}

void TWinControl::DestroyHandle() {
  if (!handle_) return;
  DestroyWindowHandle();
  handle_ = nullptr;
}

void TWinControl::DestroyWindowHandle() {
  DestroyWindow(handle_);  // WM_NCDESTROY clears handle_ of this and of every child
}

void TWinControl::AdoptWindow(HWND window) {
  defaultProc_ = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window, GWLP_WNDPROC));
  controlBeingCreated = this;
  SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ToolkitInitialWindowProc));
  SendMessageA(window, WM_NULL, 0, 0);
  controlBeingCreated = nullptr;
}

void TWinControl::ReleaseAdoptedWindow(WNDPROC original) {
  if (!handle_) return;
  SetWindowLongPtrA(handle_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
  RemovePropA(handle_, kObjectProp);
  handle_ = nullptr;
}

bool TWinControl::CanFocus() const {
  for (const TControl* c = this; c; c = c->Parent())
    if (!c->Visible() || !c->Enabled()) return false;
  return handle_ != nullptr;
}

LRESULT TWinControl::DefaultHandler(UINT message, WPARAM wParam, LPARAM lParam) {
  return CallWindowProcA(defaultProc_ ? defaultProc_ : DefWindowProcA, handle_, message, wParam, lParam);
}

int TWinControl::ClientWidth() const {
  if (handle_) {
    RECT r;
    GetClientRect(handle_, &r);
    return r.right;
  }
  return width_;
}

int TWinControl::ClientHeight() const {
  if (handle_) {
    RECT r;
    GetClientRect(handle_, &r);
    return r.bottom;
  }
  return height_;
}

void TWinControl::ApplyWindowBounds() {
  if (handle_ && !updatingFromWindow_)
    SetWindowPos(handle_, nullptr, left_, top_, width_, height_, SWP_NOZORDER | SWP_NOACTIVATE);
}

void TWinControl::BoundsChanged() {
  ApplyWindowBounds();
  TControl::BoundsChanged();
  if (width_ == resizedWidth_ && height_ == resizedHeight_) return;
  resizedWidth_ = width_;
  resizedHeight_ = height_;
  Realign();
  if (OnResize && !Destroying()) OnResize(this);
}

void TWinControl::UpdateBoundsFromWindow() {
  if (!handle_) return;
  RECT r;
  GetWindowRect(handle_, &r);
  if (HWND parent = GetParent(handle_); parent && (GetWindowLongA(handle_, GWL_STYLE) & WS_CHILD))
    MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&r), 2);
  if (r.left == left_ && r.top == top_ && r.right - r.left == width_ && r.bottom - r.top == height_) return;
  updatingFromWindow_ = true;
  try {
    TControl::SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
  } catch (...) {
    updatingFromWindow_ = false;
    throw;
  }
  updatingFromWindow_ = false;
}

void TWinControl::Realign() {
  if (realigning_ || Destroying()) return;
  realigning_ = true;
  RECT area{0, 0, ClientWidth(), ClientHeight()};
  auto place = [&](TAlign align) {
    for (TControl* c : std::vector<TControl*>(controls_)) {
      if (!c->visible_ || c->align_ != align) continue;
      int w = c->width_, h = c->height_;
      switch (align) {
        case TAlign::alTop:
          c->SetBounds(area.left, area.top, area.right - area.left, h);
          area.top += h;
          break;
        case TAlign::alBottom:
          c->SetBounds(area.left, area.bottom - h, area.right - area.left, h);
          area.bottom -= h;
          break;
        case TAlign::alLeft:
          c->SetBounds(area.left, area.top, w, area.bottom - area.top);
          area.left += w;
          break;
        case TAlign::alRight:
          c->SetBounds(area.right - w, area.top, w, area.bottom - area.top);
          area.right -= w;
          break;
        case TAlign::alClient:
          c->SetBounds(area.left, area.top, std::max(0L, area.right - area.left), std::max(0L, area.bottom - area.top));
          break;
        case TAlign::alNone:
          break;
      }
    }
  };
  try {
    for (TAlign a : {TAlign::alTop, TAlign::alBottom, TAlign::alLeft, TAlign::alRight, TAlign::alClient}) place(a);
  } catch (...) {
    realigning_ = false;
    throw;
  }
  realigning_ = false;
}

void TWinControl::Invalidate() {
  if (handle_ && !Destroying()) InvalidateRect(handle_, nullptr, FALSE);
}

void TWinControl::FontChanged() {
  if (handle_ && !OwnerPainted()) SendMessageA(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Handle()), TRUE);
  for (TControl* c : controls_)
    if (c->parentFont_) c->ParentFontChanged(font_);
  Invalidate();
}

void TWinControl::ColorChanged() {
  Invalidate();
  for (TControl* c : controls_)
    if (c->parentColor_) c->ColorChanged();
}

void TWinControl::VisibilityChanged() {
  if (handle_) ShowWindow(handle_, visible_ ? SW_SHOWNA : SW_HIDE);
  TControl::VisibilityChanged();
}

void TWinControl::ParentChanged() {
  if (parent_ && parent_->HandleAllocated()) {
    if (handle_) {
      ::SetParent(handle_, parent_->handle_);
      ApplyWindowBounds();
    } else {
      CreateHandle();
    }
    SetWindowPos(handle_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
  } else if (handle_ && (GetWindowLongA(handle_, GWL_STYLE) & WS_CHILD)) {
    DestroyHandle();
  }
}

void TWinControl::InsertControl(TControl* control) {
  controls_.push_back(control);
}

void TWinControl::RemoveControl(TControl* control) {
  if (hovered_ == control) hovered_ = nullptr;
  if (pressed_ == control) pressed_ = nullptr;
  auto it = std::find(controls_.begin(), controls_.end(), control);
  if (it == controls_.end()) return;
  controls_.erase(it);
  if (!Destroying()) {
    if (!control->IsWindowed() && handle_) {
      RECT r{control->left_, control->top_, control->left_ + control->width_, control->top_ + control->height_};
      InvalidateRect(handle_, &r, FALSE);
    }
    if (control->align_ != TAlign::alNone) Realign();
  }
}

void TWinControl::MoveControlInZOrder(TControl* control, bool toFront) {
  auto it = std::find(controls_.begin(), controls_.end(), control);
  if (it == controls_.end()) return;
  controls_.erase(it);
  if (toFront) controls_.push_back(control); else controls_.insert(controls_.begin(), control);
  if (control->IsWindowed()) {
    auto* win = static_cast<TWinControl*>(control);
    if (win->handle_)
      SetWindowPos(win->handle_, toFront ? HWND_TOP : HWND_BOTTOM, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
  } else {
    control->Invalidate();
  }
  if (control->align_ != TAlign::alNone) Realign();
}

TControl* TWinControl::GraphicControlAt(int x, int y) const {
  for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
    TControl* c = *it;
    if (c->IsWindowed() || !c->visible_) continue;
    if (x >= c->left_ && x < c->left_ + c->width_ && y >= c->top_ && y < c->top_ + c->height_) return c;
  }
  return nullptr;
}

void TWinControl::SetHovered(TControl* control) {
  if (control == hovered_) return;
  TControl* old = hovered_;
  hovered_ = control;
  if (old) old->MouseLeave();
  if (control && control == hovered_) control->MouseEnter();
}

void TWinControl::HandleMouseMove(int x, int y) {
  TControl* target = GraphicControlAt(x, y);
  if (!target) target = this;
  if (!trackingLeave_) {
    TRACKMOUSEEVENT tme{sizeof(tme), TME_LEAVE, handle_, 0};
    trackingLeave_ = TrackMouseEvent(&tme) != FALSE;
  }
  SetHovered(target);
}

bool TWinControl::HandleSetCursor() {
  POINT pt;
  GetCursorPos(&pt);
  ScreenToClient(handle_, &pt);
  TControl* target = GraphicControlAt(pt.x, pt.y);
  TCursor cursor = target ? target->cursor_ : TCursor::crDefault;
  if (cursor == TCursor::crDefault) cursor = cursor_;
  if (cursor == TCursor::crDefault) return false;
  ::SetCursor(CursorHandle(cursor));
  return true;
}

void TWinControl::PaintBackground(HDC dc, const RECT& client) {
  TColor color = Color();
  if (color == clNone) return;
  GdiHandle<HBRUSH> brush(CreateSolidBrush(ColorToRGB(color)));
  FillRect(dc, &client, brush.Get());
}

void TWinControl::PaintWindow() {
  PaintScope paint(handle_);
  HDC dc = paint.Get();
  const RECT& area = paint.Area();
  RECT client;
  GetClientRect(handle_, &client);
  if (client.right > 0 && client.bottom > 0) {
    MemoryDC memory(dc);
    HDC mem = memory.Get();
    GdiHandle<HBITMAP> bitmap(CreateCompatibleBitmap(dc, client.right, client.bottom));
    {
      SelectObjectScope selectBitmap(mem, bitmap.Get());
      SelectObjectScope selectFont(mem, font_.Handle());
      SetBkMode(mem, TRANSPARENT);
      PaintBackground(mem, client);
      PaintContent(mem);
      for (TControl* c : controls_) {
        if (c->IsWindowed() || !c->visible_) continue;
        int saved = SaveDC(mem);
        IntersectClipRect(mem, c->left_, c->top_, c->left_ + c->width_, c->top_ + c->height_);
        SetViewportOrgEx(mem, c->left_, c->top_, nullptr);
        c->PaintTo(mem);
        RestoreDC(mem, saved);
      }
      BitBlt(dc, area.left, area.top, area.right - area.left, area.bottom - area.top, mem, area.left, area.top,
             SRCCOPY);
    }
  }
}

LRESULT TWinControl::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND:
      if (OwnerPainted()) return 1;
      break;
    case WM_PAINT:
      if (OwnerPainted()) {
        PaintWindow();
        return 0;
      }
      break;
    case WM_SIZE:
      if (!IsIconic(handle_)) {
        UpdateBoundsFromWindow();
        // The client area also changes without the bounds: a menu bar that
        // comes, goes or wraps.
        Realign();
      }
      break;
    case WM_MOVE:
      if (!IsIconic(handle_)) UpdateBoundsFromWindow();
      break;
    case WM_MOUSEMOVE:
      if (OwnerPainted()) HandleMouseMove(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
      break;
    case WM_MOUSELEAVE:
      trackingLeave_ = false;
      SetHovered(nullptr);
      return 0;
    case WM_LBUTTONDOWN:
      if (OwnerPainted()) {
        pressed_ = GraphicControlAt(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        if (!pressed_) pressed_ = this;
        SetCapture(handle_);
        return 0;
      }
      break;
    case WM_LBUTTONUP:
      if (OwnerPainted()) {
        TControl* target = pressed_;
        pressed_ = nullptr;
        if (GetCapture() == handle_) ReleaseCapture();
        TControl* under = GraphicControlAt(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        if (!under) {
          POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
          RECT client;
          GetClientRect(handle_, &client);
          if (PtInRect(&client, pt)) under = this;
        }
        // The click may free this control; nothing is touched after it.
        if (target && target == under) target->Click();
        return 0;
      }
      break;
    case WM_SETCURSOR:
      if (reinterpret_cast<HWND>(wParam) == handle_ && LOWORD(lParam) == HTCLIENT && HandleSetCursor()) return TRUE;
      break;
    case WM_CONTEXTMENU:
      if (popupMenu_) {
        POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        if (lParam == -1) {  // from the keyboard: no position, the control's corner
          at = POINT{0, 0};
          ClientToScreen(handle_, &at);
        }
        popupMenu_->Popup(at.x, at.y, handle_);
        return 0;
      }
      break;
    case WM_SETFOCUS:
      if (TForm* form = GetParentForm(this); form && form != this) form->FocusChanged(this);
      break;
    case WM_QUERYNEWPALETTE:
      if (PaletteChanged(true)) return 1;
      break;
    case WM_PALETTECHANGED:
      if (reinterpret_cast<HWND>(wParam) != handle_) PaletteChanged(false);
      break;
    case CM_DIALOGKEY:
      // Offered to every windowed child until one takes it.
      for (TControl* c : std::vector<TControl*>(controls_))
        if (c->IsWindowed() && static_cast<TWinControl*>(c)->Perform(CM_DIALOGKEY, wParam, lParam)) return 1;
      return 0;
    case WM_COMMAND:
      if (lParam) {
        if (TWinControl* child = FromHandle(reinterpret_cast<HWND>(lParam))) {
          child->CommandNotify(HIWORD(wParam));
          return 0;
        }
      }
      break;
    default:
      break;
  }
  return DefaultHandler(message, wParam, lParam);
}

}  // namespace ui
