#pragma once
#include <windows.h>

namespace pageplayer {

// Who answers the messages of one of the module's windows.
class IWindowHandler {
public:
  virtual LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) = 0;

protected:
  ~IWindowHandler() = default;
};

// The module's one window class, for the stage and for the message-only
// windows that carry download notices. Registered with the hand cursor from
// the module's resources; it must be gone before the module's code is, so
// the module unregisters it when it is unloaded or may be.
bool EnsureStageWindowClass();
void UnregisterStageWindowClass();
bool StageWindowClassRegistered();

HWND CreateStageWindow(HWND parent, const RECT& bounds, IWindowHandler& handler);
HWND CreateNotifyWindow(IWindowHandler& handler);

}  // namespace pageplayer
