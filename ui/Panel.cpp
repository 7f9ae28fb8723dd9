#include "ui/Panel.h"

#include "WideText.h"

namespace ui {

TPanel::TPanel(TComponent* owner) : TWinControl(owner) {
  width_ = 185;
  height_ = 41;
}

void TPanel::SetBevelOuter(TBevelCut bevel) {
  if (bevel == bevelOuter_) return;
  bevelOuter_ = bevel;
  Invalidate();
}

void TPanel::SetCaption(const std::string& caption) {
  if (caption == caption_) return;
  caption_ = caption;
  Invalidate();
}

void TPanel::PaintContent(HDC dc) {
  RECT client{0, 0, ClientWidth(), ClientHeight()};
  if (bevelOuter_ != TBevelCut::bvNone)
    DrawEdge(dc, &client, bevelOuter_ == TBevelCut::bvRaised ? BDR_RAISEDINNER : BDR_SUNKENOUTER, BF_RECT);
  if (!caption_.empty()) {
    SetTextColor(dc, ColorToRGB(font_.Color()));
    DrawTextW(dc, TextToWide(caption_).c_str(), -1, &client, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  }
}

}  // namespace ui
