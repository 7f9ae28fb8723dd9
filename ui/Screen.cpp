#include "ui/Screen.h"

#include <windows.h>

namespace ui {

int ScreenPixelsPerInch() {
  static const int pixelsPerInch = [] {
    HDC dc = GetDC(nullptr);
    int value = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 0;
    if (dc) ReleaseDC(nullptr, dc);
    return value > 0 ? value : 96;
  }();
  return pixelsPerInch;
}

}  // namespace ui
