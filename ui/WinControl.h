// Controls with a window of their own. The window procedure dispatches every
// message to the object's WndProc; an exception escaping a handler goes to the
// application's default error report instead of through the platform.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "ui/Control.h"

namespace ui {

struct TCreateParams {
  std::string ClassName;  // empty: the toolkit's own window class
  DWORD Style = WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
  DWORD ExStyle = 0;
  HWND ParentWindow = nullptr;
};

class TWinControl : public TControl {
public:
  explicit TWinControl(TComponent* owner);
  ~TWinControl() override;

  // Creates the window (and those of the parents) on first use.
  HWND Handle();
  bool HandleAllocated() const { return handle_ != nullptr; }

  int ControlCount() const { return static_cast<int>(controls_.size()); }
  TControl* Controls(int index) const { return controls_.at(static_cast<size_t>(index)); }

  // Lays out the aligned children inside the client area.
  void Realign();
  int ClientWidth() const override;
  int ClientHeight() const override;

  void Invalidate() override;
  bool IsWindowed() const override { return true; }
  void PaintTo(HDC) override {}

  // Finds the object of a window made by the toolkit, or null.
  static TWinControl* FromHandle(HWND hwnd);

  virtual LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam);
  // Sends a message straight to WndProc, past the platform.
  LRESULT Perform(UINT message, WPARAM wParam, LPARAM lParam) { return WndProc(message, wParam, lParam); }

  bool TabStop() const { return tabStop_; }
  void SetTabStop(bool tabStop) { tabStop_ = tabStop; }
  // Visible, enabled and with a window that may take the focus.
  bool CanFocus() const;

protected:
  virtual void CreateParams(TCreateParams& params);
  virtual void CreateHandle();
  void DestroyHandle();
  // Lets go of the window: the toolkit's own destroys it.
  virtual void DestroyWindowHandle();
  // Every message that WndProc does not consume ends here; the toolkit's
  // calls the window class's own procedure.
  virtual LRESULT DefaultHandler(UINT message, WPARAM wParam, LPARAM lParam);
  // The palette may be realised (foreground) or the system's changed; true
  // when the control realised one.
  virtual bool PaletteChanged(bool) { return false; }
  // Binds a window made elsewhere to this control: its procedure becomes the
  // toolkit's, which delivers every message to WndProc from then on. The
  // window's own procedure stays reachable through the caller's bookkeeping.
  void AdoptWindow(HWND window);
  // Gives an adopted window back its own procedure and forgets it, without
  // destroying it.
  void ReleaseAdoptedWindow(WNDPROC original);

  // Painting: background, own content, then the graphic children in z-order.
  virtual void PaintBackground(HDC dc, const RECT& client);
  virtual void PaintContent(HDC) {}
  // A control that paints nothing itself but lets the platform do it.
  virtual bool OwnerPainted() const { return true; }
  // Notification from a child window (WM_COMMAND with a control handle).
  virtual void CommandNotify(WORD) {}

  void BoundsChanged() override;
  void FontChanged() override;
  void VisibilityChanged() override;
  void ParentChanged() override;
  void ColorChanged() override;
  HWND HintToolWindow() override { return handle_; }
  RECT HintToolRectangle() const override { return RECT{0, 0, width_, height_}; }

  // Reads the window's real bounds after the platform moved or sized it.
  virtual void UpdateBoundsFromWindow();
  void ApplyWindowBounds();

  TControl* GraphicControlAt(int x, int y) const;
  TControl* HoverTarget() const { return hovered_; }
  void SetHovered(TControl* control);

  friend class TControl;
  friend LRESULT CALLBACK ToolkitWindowProc(HWND, UINT, WPARAM, LPARAM);
  friend LRESULT CALLBACK ToolkitInitialWindowProc(HWND, UINT, WPARAM, LPARAM);

  HWND handle_ = nullptr;
  WNDPROC defaultProc_ = nullptr;
  std::vector<TControl*> controls_;

private:
  void InsertControl(TControl* control);
  void RemoveControl(TControl* control);
  void MoveControlInZOrder(TControl* control, bool toFront);
  void PaintWindow();
  void HandleMouseMove(int x, int y);
  bool HandleSetCursor();

  TControl* hovered_ = nullptr;
  TControl* pressed_ = nullptr;
  bool trackingLeave_ = false;
  bool tabStop_ = false;
  bool realigning_ = false;
  bool updatingFromWindow_ = false;
  int resizedWidth_ = -1, resizedHeight_ = -1;
};

COLORREF ColorToRGB(TColor color);
HCURSOR CursorHandle(TCursor cursor);

}  // namespace ui
