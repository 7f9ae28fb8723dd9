#include "stage/StageWindowClass.h"

#include <mutex>

#include "PagePlayerModule.h"
#include "resources/PagePlayerResources.h"

namespace pageplayer {

namespace {

// The name the module registers its class under; a host that maps the module
// may register it under a private name of its own making.
constexpr wchar_t kPlayerWindowClass[] = L"PagePlayerStage";
constexpr wchar_t kHandlerProperty[] = L"PagePlayer.Handler";

std::mutex classLock;
ATOM classAtom = 0;
// The instance the class ended up registered for: a host that maps this
// module may register it for its own instance instead of ours.
HINSTANCE classInstance = nullptr;

LRESULT CALLBACK StageWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* creation = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    SetPropW(window, kHandlerProperty, creation->lpCreateParams);
  }
  auto* handler = static_cast<IWindowHandler*>(GetPropW(window, kHandlerProperty));
  if (message == WM_NCDESTROY) RemovePropW(window, kHandlerProperty);
  if (handler && message != WM_NCDESTROY) {
    try {
      return handler->HandleMessage(window, message, wParam, lParam);
    } catch (...) {
      // Nothing may unwind into the system's message dispatch.
    }
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

HWND Create(DWORD style, HWND parent, const RECT& bounds, IWindowHandler& handler) {
  if (!EnsureStageWindowClass()) return nullptr;
  const HWND window = CreateWindowExW(0, kPlayerWindowClass, L"", style, bounds.left, bounds.top,
                                      bounds.right - bounds.left, bounds.bottom - bounds.top, parent, nullptr,
                                      ModuleInstance(), &handler);
  if (window) {
    const std::lock_guard lock(classLock);
    classInstance = reinterpret_cast<HINSTANCE>(GetClassLongPtrW(window, GCLP_HMODULE));
  }
  return window;
}

}  // namespace

bool EnsureStageWindowClass() {
  const std::lock_guard lock(classLock);
  if (classAtom) return true;
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.style = CS_DBLCLKS;
  windowClass.lpfnWndProc = StageWindowProc;
  windowClass.hInstance = ModuleInstance();
  windowClass.hCursor = LoadCursorA(ModuleInstance(), MAKEINTRESOURCEA(IDC_PAGEPLAYER_HAND));
  windowClass.lpszClassName = kPlayerWindowClass;
  classAtom = RegisterClassExW(&windowClass);
  classInstance = ModuleInstance();
  return classAtom != 0;
}

void UnregisterStageWindowClass() {
  const std::lock_guard lock(classLock);
  if (!classAtom) return;
  if (UnregisterClassW(reinterpret_cast<LPCWSTR>(static_cast<ULONG_PTR>(classAtom)), classInstance) ||
      UnregisterClassW(reinterpret_cast<LPCWSTR>(static_cast<ULONG_PTR>(classAtom)), ModuleInstance())) {
    classAtom = 0;
  }
}

bool StageWindowClassRegistered() {
  const std::lock_guard lock(classLock);
  return classAtom != 0;
}

HWND CreateStageWindow(HWND parent, const RECT& bounds, IWindowHandler& handler) {
  return Create(WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP, parent, bounds, handler);
}

HWND CreateNotifyWindow(IWindowHandler& handler) {
  return Create(0, HWND_MESSAGE, RECT{}, handler);
}

}  // namespace pageplayer
