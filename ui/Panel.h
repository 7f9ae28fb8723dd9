// A plain container: fills itself with its colour and shows its caption
// centred (set the caption empty to show none).
#pragma once

#include "ui/WinControl.h"

namespace ui {

enum class TBevelCut { bvNone, bvLowered, bvRaised };

class TPanel : public TWinControl {
public:
  explicit TPanel(TComponent* owner);

  TBevelCut BevelOuter() const { return bevelOuter_; }
  void SetBevelOuter(TBevelCut bevel);
  void SetCaption(const std::string& caption) override;

protected:
  void PaintContent(HDC dc) override;

private:
  TBevelCut bevelOuter_ = TBevelCut::bvRaised;
};

}  // namespace ui
