// Facts about the display the program runs on.
#pragma once

namespace ui {

// Logical pixels per inch of the screen, read once.
int ScreenPixelsPerInch();

}  // namespace ui
