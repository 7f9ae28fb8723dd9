#include "ui/Form.h"

#include <utility>
#include <vector>

#include "Exception.h"
#include "ui/Application.h"
#include "ui/Button.h"
#include "ui/Menu.h"
#include "ui/Messages.h"
#include "WideText.h"

namespace ui {

TForm::TForm(TComponent* owner) : TWinControl(owner) {
  visible_ = false;
  parentFont_ = false;
  parentColor_ = false;
  color_ = clBtnFace;
  left_ = 0;
  top_ = 0;
  width_ = 320;
  height_ = 240;
}

TForm::~TForm() {
  BeginDestroy();
  if (menu_) menu_->DetachForm(this);
  menu_ = nullptr;
  if (Application().MainForm() == this) Application().SetMainForm(nullptr);
}

DWORD TForm::StyleForBorder() const {
  switch (borderStyle_) {
    case TFormBorderStyle::bsNone: return WS_POPUP | WS_CLIPCHILDREN;
    case TFormBorderStyle::bsSingle: return WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
    case TFormBorderStyle::bsDialog: return WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | WS_CLIPCHILDREN;
    case TFormBorderStyle::bsSizeable: break;
  }
  return WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
}

DWORD TForm::ExStyleForBorder() const {
  return borderStyle_ == TFormBorderStyle::bsDialog ? WS_EX_DLGMODALFRAME : 0;
}

void TForm::CreateParams(TCreateParams& params) {
  params.Style = StyleForBorder();
  params.ExStyle = ExStyleForBorder();
  // Every form but the main one is owned by it, so it stays above it.
  TForm* main = Application().MainForm();
  params.ParentWindow = (main && main != this && main->HandleAllocated()) ? main->handle_ : nullptr;
}

void TForm::CreateHandle() {
  TWinControl::CreateHandle();
  if (menu_) ::SetMenu(handle_, menu_->Handle());
}

void TForm::SetBorderStyle(TFormBorderStyle style) {
  if (style == borderStyle_) return;
  borderStyle_ = style;
  if (handle_) {
    SetWindowLongA(handle_, GWL_STYLE, static_cast<LONG>(StyleForBorder() | (visible_ ? WS_VISIBLE : 0)));
    SetWindowLongA(handle_, GWL_EXSTYLE, static_cast<LONG>(ExStyleForBorder()));
    SetWindowPos(handle_, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
  }
}

int TForm::ClientWidth() const {
  if (handle_) return TWinControl::ClientWidth();
  RECT r{0, 0, 0, 0};
  AdjustWindowRectEx(&r, StyleForBorder(), menu_ != nullptr, ExStyleForBorder());
  return width_ - (r.right - r.left);
}

int TForm::ClientHeight() const {
  if (handle_) return TWinControl::ClientHeight();
  RECT r{0, 0, 0, 0};
  AdjustWindowRectEx(&r, StyleForBorder(), menu_ != nullptr, ExStyleForBorder());
  return height_ - (r.bottom - r.top);
}

void TForm::SetClientSize(int width, int height) {
  RECT r{0, 0, width, height};
  DWORD style = handle_ ? static_cast<DWORD>(GetWindowLongA(handle_, GWL_STYLE)) : StyleForBorder();
  DWORD exStyle = handle_ ? static_cast<DWORD>(GetWindowLongA(handle_, GWL_EXSTYLE)) : ExStyleForBorder();
  AdjustWindowRectEx(&r, style, menu_ != nullptr, exStyle);
  SetBounds(left_, top_, r.right - r.left, r.bottom - r.top);
}

void TForm::SetMenu(TMainMenu* menu) {
  if (menu == menu_) return;
  if (menu_) menu_->DetachForm(this);
  menu_ = menu;
  if (menu_) menu_->AttachForm(this);
  if (handle_) {
    ::SetMenu(handle_, menu_ ? menu_->Handle() : nullptr);
    DrawMenuBar(handle_);
  }
}

void TForm::SetCaption(const std::string& caption) {
  TControl::SetCaption(caption);
  // A book's name in the caption may lie outside the code page. The form's
  // window procedure is an 8-bit one, through which a wide WM_SETTEXT would
  // be narrowed again: the wide default procedure stores the title as it is.
  if (handle_) {
    const std::wstring wide = TextToWide(caption_);
    DefWindowProcW(handle_, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()));
  }
}

TWindowState TForm::WindowState() const {
  if (handle_ && visible_) {
    if (IsZoomed(handle_)) return TWindowState::wsMaximized;
    if (IsIconic(handle_)) return TWindowState::wsMinimized;
    return TWindowState::wsNormal;
  }
  return windowState_;
}

void TForm::SetWindowState(TWindowState state) {
  windowState_ = state;
  if (handle_ && visible_) ApplyWindowState();
}

void TForm::ApplyWindowState() {
  int command = SW_SHOWNORMAL;
  if (windowState_ == TWindowState::wsMaximized) command = SW_SHOWMAXIMIZED;
  else if (windowState_ == TWindowState::wsMinimized) command = SW_SHOWMINIMIZED;
  else if (IsZoomed(handle_) || IsIconic(handle_)) command = SW_RESTORE;
  ShowWindow(handle_, command);
}

void TForm::SetVisible(bool visible) {
  if (visible == visible_) return;
  visible_ = visible;
  VisibilityChanged();
}

void TForm::VisibilityChanged() {
  if (visible_) {
    Handle();
    if (!shownOnce_) {
      shownOnce_ = true;
      if (position_ == TPosition::poScreenCenter)
        SetBounds(CentredOffset(GetSystemMetrics(SM_CXSCREEN), width_),
                  CentredOffset(GetSystemMetrics(SM_CYSCREEN), height_), width_, height_);
    }
    DoShow();
    if (!visible_ || !handle_) return;  // the show handler may have changed its mind
    ApplyWindowState();
    SetForegroundWindow(handle_);
    UpdateWindow(handle_);
  } else {
    if (handle_) ShowWindow(handle_, SW_HIDE);
    if (OnHide && !Destroying()) OnHide(this);
  }
}

void TForm::DoShow() {
  if (!OnShow) return;
  try {
    OnShow(this);
  } catch (...) {
    Application().HandleException(std::current_exception());
  }
}

void TForm::Close() {
  bool canClose = true;
  if (OnCloseQuery) OnCloseQuery(this, canClose);
  if (!canClose) return;
  if (modal_) {
    if (modalResult_ == mrNone) modalResult_ = mrCancel;
    return;
  }
  SetVisible(false);
  if (Application().MainForm() == this) Application().Terminate();
}

namespace {

BOOL CALLBACK CollectEnabledWindow(HWND hwnd, LPARAM param) {
  if (IsWindowVisible(hwnd) && IsWindowEnabled(hwnd)) reinterpret_cast<std::vector<HWND>*>(param)->push_back(hwnd);
  return TRUE;
}

}  // namespace

TModalResult TForm::ShowModal() {
  if (visible_ || modal_) throw Exception("Cannot make a visible window modal");
  HWND previouslyActive = GetActiveWindow();
  // The window that had the keyboard (an embedded player, say) gets it back:
  // activation alone would give it to the top-level window.
  HWND previousFocus = GetFocus();
  std::vector<HWND> disabled;
  EnumThreadWindows(GetCurrentThreadId(), CollectEnabledWindow, reinterpret_cast<LPARAM>(&disabled));
  for (HWND hwnd : disabled) EnableWindow(hwnd, FALSE);
  modal_ = true;
  modalResult_ = mrNone;
  auto restore = [&] {
    for (HWND hwnd : disabled)
      if (IsWindow(hwnd)) EnableWindow(hwnd, TRUE);
    modal_ = false;
    SetVisible(false);
    if (previouslyActive && IsWindow(previouslyActive)) SetActiveWindow(previouslyActive);
    if (previousFocus && IsWindow(previousFocus) && IsWindowEnabled(previousFocus)) ::SetFocus(previousFocus);
  };
  try {
    SetVisible(true);
    while (modalResult_ == mrNone) {
      if (!Application().HandleMessage()) {
        PostQuitMessage(0);  // the main loop must see the quit too
        if (modalResult_ == mrNone) modalResult_ = mrCancel;
      }
    }
  } catch (...) {
    restore();
    throw;
  }
  restore();
  return modalResult_;
}

bool TForm::DialogKey(WORD virtualKey) {
  // A modal box is a dialog: Tab walks its controls. Other forms leave Tab
  // to the window with the focus (an embedded player may want it).
  if (virtualKey == VK_TAB && modal_ && handle_) {
    if (HWND next = GetNextDlgTabItem(handle_, GetFocus(), GetKeyState(VK_SHIFT) < 0)) ::SetFocus(next);
    return true;
  }
  if (auto* focused = dynamic_cast<TButton*>(FromHandle(GetFocus())); focused && virtualKey == VK_RETURN) {
    focused->Click();
    return true;
  }
  std::vector<TWinControl*> pending{this};
  while (!pending.empty()) {
    TWinControl* parent = pending.back();
    pending.pop_back();
    for (int i = 0; i < parent->ControlCount(); ++i) {
      TControl* c = parent->Controls(i);
      if (!c->Visible() || !c->Enabled()) continue;
      if (auto* button = dynamic_cast<TButton*>(c)) {
        if ((virtualKey == VK_RETURN && button->Default()) || (virtualKey == VK_ESCAPE && button->Cancel())) {
          button->Click();
          return true;
        }
      } else if (c->IsWindowed()) {
        pending.push_back(static_cast<TWinControl*>(c));
      }
    }
  }
  return false;
}

void TForm::FocusChanged(TWinControl* control) {
  focusedControl_ = control;
  if (activeOleControl_ && activeOleControl_ != control) activeOleControl_->Perform(CM_UIDEACTIVATE, 0, 0);
  if (control->HandleAllocated() && GetFocus() == control->Handle()) control->Perform(CM_UIACTIVATE, 0, 0);
}

// Coming back to the window (Alt+Tab, a click on its caption) gives the
// keyboard back to the window inside it that had it, as dialogs do: the
// player keeps its keys and its wheel.
bool TForm::RestoreFocus() {
  const HWND window = std::exchange(focusWhenDeactivated_, nullptr);
  if (!window || !IsWindow(window) || !IsChild(handle_, window) || !IsWindowVisible(window) || !IsWindowEnabled(window)) {
    return false;
  }
  ::SetFocus(window);
  return true;
}

void TForm::ForgetControl(TWinControl* control) {
  if (activeOleControl_ == control) activeOleControl_ = nullptr;
  if (focusedControl_ == control) focusedControl_ = nullptr;
}

bool TForm::IsMdiChild() const {
  return handle_ && (GetWindowLongA(handle_, GWL_EXSTYLE) & WS_EX_MDICHILD);
}

TShiftState TForm::CurrentShiftState() const {
  TShiftState shift = 0;
  if (GetKeyState(VK_SHIFT) < 0) shift |= ssShift;
  if (GetKeyState(VK_CONTROL) < 0) shift |= ssCtrl;
  if (GetKeyState(VK_MENU) < 0) shift |= ssAlt;
  return shift;
}

LRESULT TForm::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CLOSE:
      Close();
      return 0;
    case WM_ACTIVATE:
      if (activeOleControl_) activeOleControl_->Perform(CM_DOCWINDOWACTIVATE, LOWORD(wParam) != WA_INACTIVE, 0);
      if (LOWORD(wParam) == WA_INACTIVE) {
        const HWND focus = GetFocus();
        focusWhenDeactivated_ = focus && IsChild(handle_, focus) ? focus : nullptr;
      } else if (!HIWORD(wParam) && RestoreFocus()) {
        return 0;  // the default would give the keyboard to the form itself
      }
      break;
    case CM_DIALOGKEY:
      if (DialogKey(static_cast<WORD>(wParam))) return 1;
      break;
    case WM_COMMAND:
      if (lParam == 0 && HIWORD(wParam) == 0 && menu_) {
        // The item's handler may rebuild or free the menu; nothing follows it.
        menu_->DispatchCommand(LOWORD(wParam));
        return 0;
      }
      break;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      if (OnKeyDown) {
        auto key = static_cast<std::uint16_t>(wParam);
        OnKeyDown(this, key, CurrentShiftState());
        if (key == 0) return 0;
      }
      break;
    case WM_KEYUP:
    case WM_SYSKEYUP:
      if (OnKeyUp) {
        auto key = static_cast<std::uint16_t>(wParam);
        OnKeyUp(this, key, CurrentShiftState());
        if (key == 0) return 0;
      }
      break;
    case WM_CHAR:
      if (OnKeyPress) {
        char key = static_cast<char>(wParam);
        OnKeyPress(this, key);
        if (key == 0) return 0;
      }
      break;
    default:
      break;
  }
  return TWinControl::WndProc(message, wParam, lParam);
}

}  // namespace ui
