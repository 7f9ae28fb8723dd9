// A frame: a fixed-size group of controls built in code and placed on a
// parent like any other control.
#pragma once

#include "ui/WinControl.h"

namespace ui {

class TFrame : public TWinControl {
public:
  explicit TFrame(TComponent* owner);
};

}  // namespace ui
