// A module whose entry point faults while attaching: no runtime, the entry is ours.
#include <windows.h>

extern "C" BOOL WINAPI DllMainCRTStartup(HINSTANCE, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    volatile int* volatile nowhere = nullptr;
    *nowhere = 1;
  }
  return TRUE;
}

extern "C" __declspec(dllexport) int Unreachable() { return 1; }
