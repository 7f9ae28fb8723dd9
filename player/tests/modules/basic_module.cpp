// A small module for the loader: it records its entry calls, keeps a global
// pointer that needs relocating and imports one function by ordinal.
#include <winsock2.h>
#include <windows.h>

#define MODULE_EXPORT extern "C" __declspec(dllexport)

namespace {
DWORD reasons[8];
int reasonCount = 0;
void (*detachNotify)(DWORD) = nullptr;
}  // namespace

extern "C" {
__declspec(dllexport) int relocatedTarget = 7;
__declspec(dllexport) int* relocatedPointer = &relocatedTarget;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  if (reasonCount < 8) reasons[reasonCount++] = reason;
  if (reason == DLL_PROCESS_DETACH && detachNotify) detachNotify(reason);
  return TRUE;
}

MODULE_EXPORT int EntryReasons(DWORD* out, int capacity) {
  for (int i = 0; i < reasonCount && i < capacity; ++i) out[i] = reasons[i];
  return reasonCount;
}

MODULE_EXPORT void SetDetachNotify(void (*notify)(DWORD)) { detachNotify = notify; }

// Resolved through ws2_32's ordinal 9.
MODULE_EXPORT unsigned short SwapByOrdinalImport(unsigned short value) { return htons(value); }

MODULE_EXPORT int MixedCaseExport() { return 42; }
