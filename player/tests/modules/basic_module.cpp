// A small module for the loader: it records its entry and TLS callback
// calls, keeps a global pointer that needs relocating, imports one function
// by ordinal and throws and catches a C++ exception of its own.
#include <winsock2.h>
#include <windows.h>

#include <stdexcept>

#define MODULE_EXPORT extern "C" __declspec(dllexport)

namespace {
// Entry calls as their reason; TLS callback calls as 0x100 | reason.
DWORD reasons[8];
int reasonCount = 0;
void (*detachNotify)(DWORD) = nullptr;

void Record(DWORD reason) {
  if (reasonCount < 8) reasons[reasonCount++] = reason;
}

void NTAPI RecordTlsCallback(PVOID, DWORD reason, PVOID) { Record(0x100 | reason); }
}  // namespace

// Listed with the runtime's own TLS callbacks.
extern "C" __attribute__((section(".CRT$XLM"), used)) const PIMAGE_TLS_CALLBACK moduleTlsCallback = RecordTlsCallback;

extern "C" {
__declspec(dllexport) int relocatedTarget = 7;
__declspec(dllexport) int* relocatedPointer = &relocatedTarget;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  Record(reason);
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

namespace {
struct TCountedScope {
  int* Count;
  ~TCountedScope() { ++*Count; }
};

__attribute__((noinline)) void ThrowThrough(int* unwound) {
  TCountedScope scope{unwound};
  throw std::runtime_error("thrown inside the module");
}
}  // namespace

// 1 when the exception thrown two frames down was caught here after the
// frame between was unwound (its destructor ran), 0 otherwise.
MODULE_EXPORT int ThrowAndCatchInside() {
  int unwound = 0;
  try {
    ThrowThrough(&unwound);
  } catch (const std::runtime_error&) {
    return unwound == 1 ? 1 : 0;
  }
  return 0;
}
