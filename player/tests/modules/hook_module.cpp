// Imports each of the hooked system functions by name from its usual library
// and exports a caller for each, so that a test can drive every hook.
#include <windows.h>
#include <mmsystem.h>
#include <urlmon.h>

#include <cstdint>
#include <cstring>

#define MODULE_EXPORT extern "C" __declspec(dllexport)

namespace {
HINSTANCE moduleInstance = nullptr;
void (*detachNotify)(HRESULT) = nullptr;
}  // namespace

// On its way out the module still asks for a URL moniker, as a player that
// stops its downloads might; the test learns what the hook answered.
extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) moduleInstance = instance;
  if (reason == DLL_PROCESS_DETACH && detachNotify) {
    IMoniker* moniker = nullptr;
    const HRESULT result = CreateURLMoniker(nullptr, L"http://player.invalid/detach.swf", &moniker);
    if (moniker) moniker->Release();
    detachNotify(result);
  }
  return TRUE;
}

MODULE_EXPORT void SetDetachNotify(void (*notify)(HRESULT)) { detachNotify = notify; }

MODULE_EXPORT HINSTANCE ModuleInstance() { return moduleInstance; }

namespace {
// A call to an imported function goes through a stub "jmp [slot]"; the slot
// is the module's import address table entry. 32-bit code names the slot's
// address, 64-bit code its distance from the end of the 6-byte instruction.
void* ThroughStub(void* function) {
  const auto* code = static_cast<const unsigned char*>(function);
  if (code[0] != 0xFF || code[1] != 0x25) return function;
#if defined(__x86_64__)
  std::int32_t distance;
  std::memcpy(&distance, code + 2, sizeof distance);
  void* const* slot = reinterpret_cast<void* const*>(code + 6 + distance);
#else
  void** slot;
  std::memcpy(&slot, code + 2, sizeof slot);
#endif
  return *slot;
}
}  // namespace

// What the module's import address table holds for one of the functions.
MODULE_EXPORT void* ImportedAddress(const char* name) {
  struct Entry {
    const char* name;
    void* address;
  };
  const Entry entries[] = {
      {"CreateURLMoniker", reinterpret_cast<void*>(&CreateURLMoniker)},
      {"RegisterClassExA", reinterpret_cast<void*>(&RegisterClassExA)},
      {"RegisterClassA", reinterpret_cast<void*>(&RegisterClassA)},
      {"RegisterClassExW", reinterpret_cast<void*>(&RegisterClassExW)},
      {"RegisterClassW", reinterpret_cast<void*>(&RegisterClassW)},
      {"CreateWindowExA", reinterpret_cast<void*>(&CreateWindowExA)},
      {"CreateWindowExW", reinterpret_cast<void*>(&CreateWindowExW)},
      {"LoadCursorA", reinterpret_cast<void*>(&LoadCursorA)},
      {"LoadMenuA", reinterpret_cast<void*>(&LoadMenuA)},
      {"waveOutWrite", reinterpret_cast<void*>(&waveOutWrite)},
      {"waveOutOpen", reinterpret_cast<void*>(&waveOutOpen)},
      {"waveOutClose", reinterpret_cast<void*>(&waveOutClose)},
      {"FlushInstructionCache", reinterpret_cast<void*>(&FlushInstructionCache)},
      {"CreateFileA", reinterpret_cast<void*>(&CreateFileA)},
      {"VirtualAlloc", reinterpret_cast<void*>(&VirtualAlloc)},
      {"ReadFile", reinterpret_cast<void*>(&ReadFile)},
      {"CloseHandle", reinterpret_cast<void*>(&CloseHandle)},
      {"GetFileSize", reinterpret_cast<void*>(&GetFileSize)},
      {"GetFileSizeEx", reinterpret_cast<void*>(&GetFileSizeEx)},
      {"SetFilePointer", reinterpret_cast<void*>(&SetFilePointer)},
      {"SetFilePointerEx", reinterpret_cast<void*>(&SetFilePointerEx)},
      {"CreateFileW", reinterpret_cast<void*>(&CreateFileW)},
      {"GetProcAddress", reinterpret_cast<void*>(&GetProcAddress)},
  };
  for (const Entry& entry : entries) {
    if (std::strcmp(entry.name, name) == 0) return ThroughStub(entry.address);
  }
  return nullptr;
}

MODULE_EXPORT HRESULT CallCreateURLMoniker(IMoniker* context, LPCWSTR url, IMoniker** moniker) {
  return CreateURLMoniker(context, url, moniker);
}
MODULE_EXPORT ATOM CallRegisterClassExA(const WNDCLASSEXA* c) { return RegisterClassExA(c); }
MODULE_EXPORT ATOM CallRegisterClassA(const WNDCLASSA* c) { return RegisterClassA(c); }
MODULE_EXPORT ATOM CallRegisterClassExW(const WNDCLASSEXW* c) { return RegisterClassExW(c); }
MODULE_EXPORT ATOM CallRegisterClassW(const WNDCLASSW* c) { return RegisterClassW(c); }
MODULE_EXPORT HWND CallCreateWindowExA(LPCSTR className, HINSTANCE instance) {
  return CreateWindowExA(0, className, "hooked", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, instance, nullptr);
}
MODULE_EXPORT HWND CallCreateWindowExW(LPCWSTR className, HINSTANCE instance) {
  return CreateWindowExW(0, className, L"hooked", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, instance, nullptr);
}
MODULE_EXPORT HCURSOR CallLoadCursorA(HINSTANCE instance, LPCSTR name) { return LoadCursorA(instance, name); }
MODULE_EXPORT HMENU CallLoadMenuA(HINSTANCE instance, LPCSTR name) { return LoadMenuA(instance, name); }
MODULE_EXPORT MMRESULT CallWaveOutOpen(LPHWAVEOUT device, UINT id, LPCWAVEFORMATEX format, DWORD flags) {
  return waveOutOpen(device, id, format, 0, 0, flags);
}
MODULE_EXPORT MMRESULT CallWaveOutWrite(HWAVEOUT device, LPWAVEHDR header) {
  return waveOutWrite(device, header, sizeof *header);
}
MODULE_EXPORT MMRESULT CallWaveOutClose(HWAVEOUT device) { return waveOutClose(device); }
MODULE_EXPORT BOOL CallFlushInstructionCache(LPCVOID address, SIZE_T size) {
  return FlushInstructionCache(GetCurrentProcess(), address, size);
}
MODULE_EXPORT LPVOID CallVirtualAlloc(LPVOID address, SIZE_T size, DWORD type, DWORD protection) {
  return VirtualAlloc(address, size, type, protection);
}
MODULE_EXPORT HANDLE CallCreateFileA(LPCSTR path) {
  return CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
}
MODULE_EXPORT HANDLE CallCreateFileW(LPCWSTR path) {
  return CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
}
MODULE_EXPORT BOOL CallReadFile(HANDLE file, LPVOID buffer, DWORD count, LPDWORD read) {
  return ReadFile(file, buffer, count, read, nullptr);
}
MODULE_EXPORT BOOL CallCloseHandle(HANDLE handle) { return CloseHandle(handle); }
MODULE_EXPORT DWORD CallGetFileSize(HANDLE file, LPDWORD high) { return GetFileSize(file, high); }
MODULE_EXPORT BOOL CallGetFileSizeEx(HANDLE file, PLARGE_INTEGER size) { return GetFileSizeEx(file, size); }
MODULE_EXPORT DWORD CallSetFilePointer(HANDLE file, LONG distance, DWORD method) {
  return SetFilePointer(file, distance, nullptr, method);
}
MODULE_EXPORT BOOL CallSetFilePointerEx(HANDLE file, LONGLONG distance, PLARGE_INTEGER position, DWORD method) {
  LARGE_INTEGER move;
  move.QuadPart = distance;
  return SetFilePointerEx(file, move, position, method);
}
MODULE_EXPORT FARPROC CallGetProcAddress(HMODULE module, LPCSTR name) { return GetProcAddress(module, name); }
