#include "ui/Control.h"

#include <commctrl.h>

#include "ui/Application.h"
#include "ui/Form.h"
#include "ui/WinControl.h"

namespace ui {

TControl::TControl(TComponent* owner) : TComponent(owner) {
  font_.OnChange = [this] {
    if (!followingParentFont_) parentFont_ = false;
    FontChanged();
  };
}

TControl::~TControl() {
  BeginDestroy();
  RemoveHintTool();
  if (parent_) parent_->RemoveControl(this);
  parent_ = nullptr;
}

void TControl::SetParent(TWinControl* parent) {
  if (parent == parent_) return;
  RemoveHintTool();
  if (parent_) parent_->RemoveControl(this);
  parent_ = parent;
  if (parent_) {
    parent_->InsertControl(this);
    if (parentFont_) ParentFontChanged(parent_->Font());
  }
  ParentChanged();
  UpdateHintTool();
  if (parent_) {
    if (align_ != TAlign::alNone) parent_->Realign();
    Invalidate();
  }
}

void TControl::SetBounds(int left, int top, int width, int height) {
  if (left == left_ && top == top_ && width == width_ && height == height_) return;
  Invalidate();
  left_ = left;
  top_ = top;
  width_ = width;
  height_ = height;
  BoundsChanged();
}

void TControl::BoundsChanged() {
  Invalidate();
  UpdateHintTool();
  if (parent_ && align_ != TAlign::alNone) parent_->Realign();
}

void TControl::SetVisible(bool visible) {
  if (visible == visible_) return;
  if (!visible) Invalidate();
  visible_ = visible;
  VisibilityChanged();
}

void TControl::VisibilityChanged() {
  Invalidate();
  UpdateHintTool();
  if (parent_ && align_ != TAlign::alNone) parent_->Realign();
}

bool TControl::Showing() const {
  for (const TControl* c = this; c; c = c->parent_)
    if (!c->visible_) return false;
  return true;
}

void TControl::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  Invalidate();
}

void TControl::SetAlign(TAlign align) {
  if (align == align_) return;
  align_ = align;
  if (parent_) parent_->Realign();
}

void TControl::SetCaption(const std::string& caption) {
  if (caption == caption_) return;
  caption_ = caption;
  Invalidate();
}

void TControl::SetParentFont(bool parentFont) {
  parentFont_ = parentFont;
  if (parentFont_ && parent_) ParentFontChanged(parent_->Font());
}

void TControl::ParentFontChanged(const TFont& parentFont) {
  followingParentFont_ = true;
  font_.Assign(parentFont);
  followingParentFont_ = false;
}

void TControl::FontChanged() { Invalidate(); }

TColor TControl::Color() const {
  if (parentColor_ && parent_) return parent_->Color();
  return color_;
}

void TControl::SetColor(TColor color) {
  parentColor_ = false;
  if (color == color_) return;
  color_ = color;
  ColorChanged();
}

void TControl::SetParentColor(bool parentColor) {
  if (parentColor == parentColor_) return;
  parentColor_ = parentColor;
  ColorChanged();
}

void TControl::SetHint(const std::string& hint) {
  if (hint == hint_) return;
  hint_ = hint;
  UpdateHintTool();
}

void TControl::SetShowHint(bool showHint) {
  if (showHint == showHint_) return;
  showHint_ = showHint;
  UpdateHintTool();
}

void TControl::BringToFront() {
  if (parent_) parent_->MoveControlInZOrder(this, true);
}

void TControl::SendToBack() {
  if (parent_) parent_->MoveControlInZOrder(this, false);
}

void TControl::Invalidate() {}

void TControl::Click() {
  if (OnClick && enabled_) OnClick(this);
}

void TControl::PaintTo(HDC) {}

void TControl::MouseEnter() {
  if (OnMouseEnter && !Destroying()) OnMouseEnter(this);
}

void TControl::MouseLeave() {
  if (OnMouseLeave && !Destroying()) OnMouseLeave(this);
}

void TControl::UpdateHintTool() {
  RemoveHintTool();
  if (Destroying() || !showHint_ || hint_.empty() || !visible_) return;
  HWND window = HintToolWindow();
  if (!window) return;
  HWND tip = Application().ToolTipHandle(true);
  if (!tip) return;
  TOOLINFOA ti{};
  ti.cbSize = TTTOOLINFOA_V2_SIZE;
  ti.uFlags = TTF_SUBCLASS;
  ti.hwnd = window;
  ti.uId = reinterpret_cast<UINT_PTR>(this);
  ti.rect = HintToolRectangle();
  ti.lpszText = const_cast<char*>(hint_.c_str());
  if (SendMessageA(tip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&ti))) {
    hintToolAdded_ = true;
    hintToolWindow_ = window;
  }
}

void TControl::RemoveHintTool() {
  if (!hintToolAdded_) return;
  TOOLINFOA ti{};
  ti.cbSize = TTTOOLINFOA_V2_SIZE;
  ti.hwnd = hintToolWindow_;
  ti.uId = reinterpret_cast<UINT_PTR>(this);
  if (HWND tip = Application().ToolTipHandle(false)) SendMessageA(tip, TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&ti));
  hintToolAdded_ = false;
  hintToolWindow_ = nullptr;
}

// ---- graphic controls ----

void TGraphicControl::Invalidate() {
  if (parent_ && parent_->HandleAllocated() && !Destroying()) {
    RECT r{left_, top_, left_ + width_, top_ + height_};
    InvalidateRect(parent_->Handle(), &r, FALSE);
  }
}

void TGraphicControl::PaintTo(HDC dc) { Paint(dc); }

HWND TGraphicControl::HintToolWindow() {
  return parent_ && parent_->HandleAllocated() ? parent_->Handle() : nullptr;
}

TForm* GetParentForm(TControl* control) {
  while (control && !dynamic_cast<TForm*>(control)) control = control->Parent();
  return static_cast<TForm*>(control);
}

TShiftState MouseShiftState(WPARAM keyFlags) {
  TShiftState shift = 0;
  if (keyFlags & MK_SHIFT) shift |= ssShift;
  if (keyFlags & MK_CONTROL) shift |= ssCtrl;
  if (keyFlags & MK_LBUTTON) shift |= ssLeft;
  if (keyFlags & MK_RBUTTON) shift |= ssRight;
  if (keyFlags & MK_MBUTTON) shift |= ssMiddle;
  if (GetKeyState(VK_MENU) < 0) shift |= ssAlt;
  return shift;
}

}  // namespace ui
