// A picture control painted by its parent: natural size, stretched, or
// centred.
#pragma once

#include "ui/Control.h"
#include "ui/Picture.h"

namespace ui {

class TImage : public TGraphicControl {
public:
  explicit TImage(TComponent* owner);

  // Change the picture through SetPicture or call Invalidate afterwards.
  TPicture& Picture() { return picture_; }
  void SetPicture(const TPicture& picture);
  bool Stretch() const { return stretch_; }
  void SetStretch(bool stretch);
  bool Center() const { return center_; }
  void SetCenter(bool center);
  // Nothing but the picture is painted; without it, nothing at all.
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool transparent) { transparent_ = transparent; }

protected:
  void Paint(HDC dc) override;

private:
  TPicture picture_;
  bool stretch_ = false;
  bool center_ = false;
  bool transparent_ = false;
};

}  // namespace ui
