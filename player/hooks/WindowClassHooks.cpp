#include <cstdio>
#include <string>

#include "WideText.h"
#include "player/hooks/HookMaps.h"
#include "player/hooks/HookState.h"
#include "player/hooks/PlayerHooks.h"
#include "player/loader/IntegerId.h"

// The module registers its classes under names of its own choosing, which may
// clash with other copies of the player or the host; each class gets a name
// private to this library copy, registered for the host instance.
namespace vell::player::hooks {

namespace {

std::string PrivateName(const std::string& requested) {
  const int length = std::snprintf(nullptr, 0, "PlayerControl_%s_%d", requested.c_str(), PlayerLibraryIdentity());
  std::string name(length + 1, '\0');
  std::snprintf(name.data(), name.size(), "PlayerControl_%s_%d", requested.c_str(), PlayerLibraryIdentity());
  name.resize(length);
  return name;
}

void RememberClass(const std::wstring& requested, const std::wstring& privateName) {
  if (auto& names = HookState().ClassNames) names->Set(requested, privateName);
}

template <typename Record, typename Register>
ATOM RegisterAnsi(const Record* windowClass, Register registerClass) {
  if (!windowClass) return registerClass(windowClass);
  Record copy = *windowClass;
  copy.hInstance = HostInstance();
  if (IsIntegerId(copy.lpszClassName)) return registerClass(&copy);
  const std::string privateName = PrivateName(copy.lpszClassName);
  RememberClass(AnsiToWide(copy.lpszClassName), AnsiToWide(privateName));
  UnregisterClassA(privateName.c_str(), HostInstance());
  copy.lpszClassName = privateName.c_str();
  return registerClass(&copy);
}

template <typename Record, typename Register>
ATOM RegisterWide(const Record* windowClass, Register registerClass) {
  if (!windowClass) return registerClass(windowClass);
  Record copy = *windowClass;
  copy.hInstance = HostInstance();
  if (IsIntegerId(copy.lpszClassName)) return registerClass(&copy);
  const std::wstring privateName = AnsiToWide(PrivateName(WideToAnsi(copy.lpszClassName)));
  RememberClass(copy.lpszClassName, privateName);
  UnregisterClassW(privateName.c_str(), HostInstance());
  copy.lpszClassName = privateName.c_str();
  return registerClass(&copy);
}

std::optional<std::wstring> MappedClass(const std::wstring& requested) {
  const auto& names = HookState().ClassNames;
  return names ? names->Find(requested) : std::nullopt;
}

}  // namespace

ATOM WINAPI HookRegisterClassExA(const WNDCLASSEXA* windowClass) try {
  return RegisterAnsi(windowClass, ::RegisterClassExA);
} catch (...) {
  return 0;
}

ATOM WINAPI HookRegisterClassA(const WNDCLASSA* windowClass) try {
  return RegisterAnsi(windowClass, ::RegisterClassA);
} catch (...) {
  return 0;
}

ATOM WINAPI HookRegisterClassExW(const WNDCLASSEXW* windowClass) try {
  return RegisterWide(windowClass, ::RegisterClassExW);
} catch (...) {
  return 0;
}

ATOM WINAPI HookRegisterClassW(const WNDCLASSW* windowClass) try {
  return RegisterWide(windowClass, ::RegisterClassW);
} catch (...) {
  return 0;
}

HWND WINAPI HookCreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y,
                                int width, int height, HWND parent, HMENU menu, HINSTANCE instance,
                                LPVOID param) try {
  if (instance) instance = HostInstance();
  std::string mapped;
  if (!IsIntegerId(className)) {
    if (auto privateName = MappedClass(AnsiToWide(className))) {
      mapped = WideToAnsi(*privateName);
      className = mapped.c_str();
    }
  }
  return ::CreateWindowExA(exStyle, className, windowName, style, x, y, width, height, parent, menu, instance, param);
} catch (...) {
  return nullptr;
}

HWND WINAPI HookCreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y,
                                int width, int height, HWND parent, HMENU menu, HINSTANCE instance,
                                LPVOID param) try {
  if (instance) instance = HostInstance();
  std::optional<std::wstring> mapped;
  if (!IsIntegerId(className) && (mapped = MappedClass(className))) className = mapped->c_str();
  return ::CreateWindowExW(exStyle, className, windowName, style, x, y, width, height, parent, menu, instance, param);
} catch (...) {
  return nullptr;
}

}  // namespace vell::player::hooks
