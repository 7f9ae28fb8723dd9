// A text label painted by its parent. As a link it takes a colour, the hand
// cursor, a tooltip hint and mouse enter/leave handlers (e.g. to underline).
#pragma once

#include "ui/Control.h"

namespace ui {

class TLabel : public TGraphicControl {
public:
  explicit TLabel(TComponent* owner);

  void SetCaption(const std::string& caption) override;
  // Sizes the label to its text whenever caption or font change.
  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool autoSize);
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool transparent);
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment alignment);
  bool WordWrap() const { return wordWrap_; }
  void SetWordWrap(bool wordWrap);
  // "&" marks an accelerator character unless this is off.
  bool ShowAccelChar() const { return showAccelChar_; }
  void SetShowAccelChar(bool show);

  // Underlines the label; what link handlers call on enter and leave.
  void SetUnderline(bool underline);

protected:
  void Paint(HDC dc) override;
  void FontChanged() override;

private:
  UINT TextFlags() const;
  void AdjustSize();

  bool autoSize_ = true;
  bool transparent_ = false;
  bool wordWrap_ = false;
  bool showAccelChar_ = true;
  TAlignment alignment_ = TAlignment::taLeftJustify;
};

}  // namespace ui
