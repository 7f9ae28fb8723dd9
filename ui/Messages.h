// The toolkit's own window messages: notifications between controls and
// forms (CM_), and window messages reflected to the control they concern (CN_).
#pragma once

#include <windows.h>

namespace ui {

constexpr UINT CM_BASE = 0xB000;
constexpr UINT CM_DIALOGKEY = CM_BASE + 5;
constexpr UINT CM_PARENTFONTCHANGED = CM_BASE + 8;
constexpr UINT CM_PARENTCOLORCHANGED = CM_BASE + 9;
constexpr UINT CM_UIACTIVATE = CM_BASE + 41;
constexpr UINT CM_UIDEACTIVATE = CM_BASE + 42;
constexpr UINT CM_DOCWINDOWACTIVATE = CM_BASE + 43;

// A key message is offered to its control as CN_BASE + message before it is
// dispatched; a non-zero answer consumes it.
constexpr UINT CN_BASE = 0xBC00;
constexpr UINT CN_KEYDOWN = CN_BASE + WM_KEYDOWN;
constexpr UINT CN_KEYLAST = CN_BASE + WM_KEYLAST;
// The last message the toolkit reflects.
constexpr UINT CN_LAST = 0xBFFF;

}  // namespace ui
