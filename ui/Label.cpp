#include "ui/Label.h"

#include "WideText.h"
#include "ui/GdiHandle.h"
#include "ui/WinControl.h"

namespace ui {

TLabel::TLabel(TComponent* owner) : TGraphicControl(owner) {
  parentColor_ = true;
  width_ = 65;
  height_ = 13;
}

void TLabel::SetCaption(const std::string& caption) {
  if (caption == caption_) return;
  caption_ = caption;
  AdjustSize();
  Invalidate();
}

void TLabel::SetAutoSize(bool autoSize) {
  autoSize_ = autoSize;
  AdjustSize();
}

void TLabel::SetTransparent(bool transparent) {
  if (transparent == transparent_) return;
  transparent_ = transparent;
  Invalidate();
}

void TLabel::SetAlignment(TAlignment alignment) {
  if (alignment == alignment_) return;
  alignment_ = alignment;
  Invalidate();
}

void TLabel::SetWordWrap(bool wordWrap) {
  if (wordWrap == wordWrap_) return;
  wordWrap_ = wordWrap;
  AdjustSize();
  Invalidate();
}

void TLabel::SetShowAccelChar(bool show) {
  if (show == showAccelChar_) return;
  showAccelChar_ = show;
  AdjustSize();
  Invalidate();
}

void TLabel::SetUnderline(bool underline) {
  TFontStyles style = font_.Style();
  font_.SetStyle(underline ? (style | fsUnderline) : (style & ~fsUnderline));
}

void TLabel::FontChanged() {
  AdjustSize();
  TGraphicControl::FontChanged();
}

UINT TLabel::TextFlags() const {
  UINT flags = wordWrap_ ? DT_WORDBREAK : 0;
  if (!showAccelChar_) flags |= DT_NOPREFIX;
  if (alignment_ == TAlignment::taRightJustify) flags |= DT_RIGHT;
  else if (alignment_ == TAlignment::taCenter) flags |= DT_CENTER;
  return flags;
}

void TLabel::AdjustSize() {
  if (!autoSize_ || Destroying()) return;
  RECT r{0, 0, wordWrap_ ? width_ : 0, 0};
  {
    WindowDC screen(nullptr);
    SelectObjectScope font(screen.Get(), font_.Handle());
    const std::wstring text = caption_.empty() ? std::wstring(L" ") : TextToWide(caption_);
    DrawTextW(screen.Get(), text.c_str(), -1, &r, TextFlags() | DT_CALCRECT);
  }
  int width = wordWrap_ ? width_ : r.right;
  int left = left_;
  // Right-aligned text keeps its right edge where it was.
  if (!wordWrap_ && alignment_ == TAlignment::taRightJustify) left = left_ + width_ - width;
  SetBounds(left, top_, width, r.bottom);
}

void TLabel::Paint(HDC dc) {
  RECT r{0, 0, width_, height_};
  if (!transparent_ && Color() != clNone) {
    GdiHandle<HBRUSH> brush(CreateSolidBrush(ColorToRGB(Color())));
    FillRect(dc, &r, brush.Get());
  }
  SelectObjectScope font(dc, font_.Handle());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, ColorToRGB(enabled_ ? font_.Color() : clGray));
  DrawTextW(dc, TextToWide(caption_).c_str(), -1, &r, TextFlags());
}

}  // namespace ui
