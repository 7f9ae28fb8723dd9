// Top-level windows: caption, bounds, window state, border style, modal
// showing, the main menu and the key handlers.
#pragma once

#include <functional>

#include <windows.h>

#include "ui/WinControl.h"

namespace ui {

class TMainMenu;

class TForm : public TWinControl {
public:
  explicit TForm(TComponent* owner);
  ~TForm() override;

  void SetVisible(bool visible) override;
  // Runs OnCloseQuery; a modal form ends its loop with mrCancel, the main
  // form ends the application, any other form is hidden.
  void Close();
  // Shows the form with every other window of the program disabled and
  // returns once ModalResult is set; the keyboard focus then goes back
  // where it was.
  TModalResult ShowModal();
  TModalResult ModalResult() const { return modalResult_; }
  void SetModalResult(TModalResult result) { modalResult_ = result; }
  bool Modal() const { return modal_; }

  TWindowState WindowState() const;
  void SetWindowState(TWindowState state);
  TFormBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TFormBorderStyle style);
  TPosition Position() const { return position_; }
  void SetPosition(TPosition position) { position_ = position; }
  void SetClientSize(int width, int height);
  int ClientWidth() const override;
  int ClientHeight() const override;

  TMainMenu* Menu() const { return menu_; }
  void SetMenu(TMainMenu* menu);

  void SetCaption(const std::string& caption) override;

  // Enter and Esc: the default or cancel button, if the form has one; in a
  // modal form Tab moves the focus on (Shift+Tab back).
  bool DialogKey(WORD virtualKey);

  // The one in-place OLE control of this form that is UI active, or null.
  TWinControl* ActiveOleControl() const { return activeOleControl_; }
  void SetActiveOleControl(TWinControl* control) { activeOleControl_ = control; }
  // The control on this form that last took the focus, or null.
  TWinControl* FocusedControl() const { return focusedControl_; }
  // A control of this form took the focus: a different active OLE control is
  // UI-deactivated and the control asked to UI-activate.
  void FocusChanged(TWinControl* control);
  // The control leaves the form: it may no longer be recorded.
  void ForgetControl(TWinControl* control);
  bool IsMdiChild() const;

  TNotifyEvent OnShow;
  TNotifyEvent OnHide;
  TCloseQueryEvent OnCloseQuery;
  TKeyEvent OnKeyDown;
  TKeyEvent OnKeyUp;
  TKeyPressEvent OnKeyPress;
  // A key pressed anywhere in the form, before the window with the focus
  // (an embedded player's too) sees it; true when the form took it.
  std::function<bool(WPARAM key)> OnShortCut;

  LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;

protected:
  void CreateParams(TCreateParams& params) override;
  void CreateHandle() override;
  void VisibilityChanged() override;
  void ParentChanged() override {}

  virtual void DoShow();
  DWORD StyleForBorder() const;
  DWORD ExStyleForBorder() const;

private:
  void ApplyWindowState();
  TShiftState CurrentShiftState() const;
  bool RestoreFocus();

  TModalResult modalResult_ = mrNone;
  bool modal_ = false;
  bool shownOnce_ = false;
  TWindowState windowState_ = TWindowState::wsNormal;
  TFormBorderStyle borderStyle_ = TFormBorderStyle::bsSizeable;
  TPosition position_ = TPosition::poDesigned;
  TMainMenu* menu_ = nullptr;
  TWinControl* activeOleControl_ = nullptr;
  TWinControl* focusedControl_ = nullptr;
  // The window inside this form that had the keyboard when it was last
  // deactivated: an embedded player's own window is none of our controls.
  HWND focusWhenDeactivated_ = nullptr;
};

}  // namespace ui
