// A module whose entry point refuses to attach. It has no runtime, so it
// leaves what it saw where the test finds it after the module is gone: its
// instance and the reasons it was called with, in the process environment.
#include <windows.h>

namespace {

void AppendReason(DWORD reason) {
  char reasons[16] = {};
  const DWORD length = GetEnvironmentVariableA("VELL_REFUSING_MODULE_REASONS", reasons, sizeof reasons - 2);
  const DWORD at = length < sizeof reasons - 2 ? length : 0;
  reasons[at] = static_cast<char>('0' + reason);
  reasons[at + 1] = 0;
  SetEnvironmentVariableA("VELL_REFUSING_MODULE_REASONS", reasons);
}

void RecordInstance(HINSTANCE instance) {
  char hex[2 * sizeof(void*) + 1];
  auto value = reinterpret_cast<ULONG_PTR>(instance);
  for (int i = 2 * sizeof(void*) - 1; i >= 0; --i, value >>= 4) hex[i] = "0123456789ABCDEF"[value & 0xF];
  hex[2 * sizeof(void*)] = 0;
  SetEnvironmentVariableA("VELL_REFUSING_MODULE_INSTANCE", hex);
}

}  // namespace

extern "C" BOOL WINAPI DllMainCRTStartup(HINSTANCE instance, DWORD reason, LPVOID) {
  AppendReason(reason);
  RecordInstance(instance);
  return reason == DLL_PROCESS_ATTACH ? FALSE : TRUE;
}

extern "C" __declspec(dllexport) int Unreachable() { return 1; }
