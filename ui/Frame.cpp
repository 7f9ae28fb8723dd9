#include "ui/Frame.h"

namespace ui {

TFrame::TFrame(TComponent* owner) : TWinControl(owner) {
  width_ = 320;
  height_ = 240;
  parentColor_ = true;
}

}  // namespace ui
