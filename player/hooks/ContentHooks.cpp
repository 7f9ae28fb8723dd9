#include "player/content/ContentManager.h"
#include "player/content/ProcessContentManager.h"
#include "player/hooks/PlayerHooks.h"

// URL and file requests of the player go to the content manager; without one
// (initialisation failed) the base manager hands them to the system.
namespace vell::player::hooks {

HRESULT WINAPI HookCreateURLMoniker(IMoniker* context, LPCWSTR url, IMoniker** moniker) try {
  if (moniker) *moniker = nullptr;
  return ProcessContentManager().CreateMoniker(context, url, moniker);
} catch (...) {
  return E_FAIL;
}

HANDLE WINAPI HookCreateFileA(LPCSTR path, DWORD desiredAccess, DWORD shareMode, LPSECURITY_ATTRIBUTES security,
                              DWORD creationDisposition, DWORD flagsAndAttributes, HANDLE templateFile) try {
  return ProcessContentManager().OpenFileAnsi(path, desiredAccess, shareMode, security, creationDisposition, flagsAndAttributes,
                                templateFile);
} catch (...) {
  return INVALID_HANDLE_VALUE;
}

HANDLE WINAPI HookCreateFileW(LPCWSTR path, DWORD desiredAccess, DWORD shareMode, LPSECURITY_ATTRIBUTES security,
                              DWORD creationDisposition, DWORD flagsAndAttributes, HANDLE templateFile) try {
  return ProcessContentManager().OpenFile(path, desiredAccess, shareMode, security, creationDisposition, flagsAndAttributes,
                            templateFile);
} catch (...) {
  return INVALID_HANDLE_VALUE;
}

BOOL WINAPI HookReadFile(HANDLE file, LPVOID buffer, DWORD count, LPDWORD read, LPOVERLAPPED overlapped) try {
  return ProcessContentManager().ReadFile(file, buffer, count, read, overlapped);
} catch (...) {
  return FALSE;
}

BOOL WINAPI HookCloseHandle(HANDLE handle) try {
  return ProcessContentManager().CloseHandle(handle);
} catch (...) {
  return FALSE;
}

DWORD WINAPI HookGetFileSize(HANDLE file, LPDWORD sizeHigh) try {
  return ProcessContentManager().GetFileSize(file, sizeHigh);
} catch (...) {
  return INVALID_FILE_SIZE;
}

BOOL WINAPI HookGetFileSizeEx(HANDLE file, PLARGE_INTEGER size) try {
  return ProcessContentManager().GetFileSizeEx(file, size);
} catch (...) {
  return FALSE;
}

DWORD WINAPI HookSetFilePointer(HANDLE file, LONG distance, PLONG distanceHigh, DWORD moveMethod) try {
  return ProcessContentManager().SetFilePointer(file, distance, distanceHigh, moveMethod);
} catch (...) {
  return INVALID_SET_FILE_POINTER;
}

BOOL WINAPI HookSetFilePointerEx(HANDLE file, LARGE_INTEGER distance, PLARGE_INTEGER newPosition, DWORD moveMethod) try {
  return ProcessContentManager().SetFilePointerEx(file, distance, newPosition, moveMethod);
} catch (...) {
  return FALSE;
}

}  // namespace vell::player::hooks
