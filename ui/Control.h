// Visual controls: the common base of everything placed on a window, and
// graphic controls that have no window of their own and are painted by
// their parent (labels, pictures), which lets them be transparent.
#pragma once

#include <windows.h>

#include <string>

#include "ui/Component.h"
#include "ui/Font.h"
#include "ui/Types.h"

namespace ui {

class TWinControl;
class TPopupMenu;
class TForm;

class TControl : public TComponent {
public:
  explicit TControl(TComponent* owner);
  ~TControl() override;

  TWinControl* Parent() const { return parent_; }
  virtual void SetParent(TWinControl* parent);

  int Left() const { return left_; }
  int Top() const { return top_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  void SetLeft(int left) { SetBounds(left, top_, width_, height_); }
  void SetTop(int top) { SetBounds(left_, top, width_, height_); }
  void SetWidth(int width) { SetBounds(left_, top_, width, height_); }
  void SetHeight(int height) { SetBounds(left_, top_, width_, height); }
  virtual void SetBounds(int left, int top, int width, int height);
  TRect BoundsRect() const { return {left_, top_, left_ + width_, top_ + height_}; }
  virtual int ClientWidth() const { return width_; }
  virtual int ClientHeight() const { return height_; }

  bool Visible() const { return visible_; }
  virtual void SetVisible(bool visible);
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }
  // Visible here and in every parent up to the top-level window.
  bool Showing() const;
  bool Enabled() const { return enabled_; }
  virtual void SetEnabled(bool enabled);

  TAlign Align() const { return align_; }
  void SetAlign(TAlign align);

  const std::string& Caption() const { return caption_; }
  virtual void SetCaption(const std::string& caption);

  // Changing the font through this reference turns ParentFont off.
  TFont& Font() { return font_; }
  const TFont& Font() const { return font_; }
  bool ParentFont() const { return parentFont_; }
  void SetParentFont(bool parentFont);

  // The colour actually used: the parent's while ParentColor is on.
  TColor Color() const;
  void SetColor(TColor color);
  bool ParentColor() const { return parentColor_; }
  void SetParentColor(bool parentColor);

  TCursor Cursor() const { return cursor_; }
  void SetCursor(TCursor cursor) { cursor_ = cursor; }

  const std::string& Hint() const { return hint_; }
  void SetHint(const std::string& hint);
  bool ShowHint() const { return showHint_; }
  void SetShowHint(bool showHint);

  TBiDiMode BiDiMode() const { return biDiMode_; }
  void SetBiDiMode(TBiDiMode mode) { biDiMode_ = mode; }

  // Moves the control to the top (or bottom) of its parent's z-order.
  void BringToFront();
  void SendToBack();

  virtual void Invalidate();
  // Raises OnClick; the handler may free the control, so nothing may touch
  // the object after calling it.
  virtual void Click();

  // Shown by the toolkit's context-menu handling of windowed controls.
  TPopupMenu* PopupMenu() const { return popupMenu_; }
  void SetPopupMenu(TPopupMenu* menu) { popupMenu_ = menu; }

  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  TMouseEvent OnMouseDown;
  TMouseEvent OnMouseUp;
  TMouseMoveEvent OnMouseMove;
  TNotifyEvent OnMouseEnter;
  TNotifyEvent OnMouseLeave;
  TNotifyEvent OnResize;

  // Toolkit internals, called by the parent window.
  virtual void PaintTo(HDC dc);
  virtual void MouseEnter();
  virtual void MouseLeave();
  virtual bool IsWindowed() const { return false; }

protected:
  virtual void BoundsChanged();
  virtual void FontChanged();
  virtual void ColorChanged() { Invalidate(); }
  virtual void VisibilityChanged();
  virtual void ParentChanged() {}
  // The tooltip tool of this control: registered with the window that shows
  // the control, under the control's address as its id.
  void UpdateHintTool();
  void RemoveHintTool();
  // The window that shows the control and the control's rectangle in it;
  // none where the control has no window to show it yet.
  virtual HWND HintToolWindow() { return nullptr; }
  virtual RECT HintToolRectangle() const { return RECT{left_, top_, left_ + width_, top_ + height_}; }
  // The parent's font changed and this control follows it.
  void ParentFontChanged(const TFont& parentFont);

  friend class TWinControl;

  TWinControl* parent_ = nullptr;
  int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
  bool visible_ = true;
  bool enabled_ = true;
  TAlign align_ = TAlign::alNone;
  std::string caption_;
  TFont font_;
  bool parentFont_ = true;
  bool followingParentFont_ = false;
  TColor color_ = clBtnFace;
  bool parentColor_ = false;
  TCursor cursor_ = TCursor::crDefault;
  std::string hint_;
  bool showHint_ = false;
  bool hintToolAdded_ = false;
  HWND hintToolWindow_ = nullptr;
  TBiDiMode biDiMode_ = TBiDiMode::bdLeftToRight;
  TPopupMenu* popupMenu_ = nullptr;
};

// The form a control sits on (the control itself when it is one), or null.
TForm* GetParentForm(TControl* control);
// Shift state from the key flags of a mouse message.
TShiftState MouseShiftState(WPARAM keyFlags);

// A control without a window; its parent paints it and routes mouse input.
class TGraphicControl : public TControl {
public:
  explicit TGraphicControl(TComponent* owner) : TControl(owner) {}

  void Invalidate() override;
  void PaintTo(HDC dc) override;

protected:
  // Paints in the control's own coordinates (0,0 is its top-left corner).
  virtual void Paint(HDC dc) = 0;
  HWND HintToolWindow() override;
};

}  // namespace ui
