#include "player/content/ContentManager.h"
#include "player/hooks/PlayerHooks.h"
#include "player/hooks/PlayerSubsystem.h"

// URL and file requests of the player go to the content manager; without one
// (initialisation failed) they go to the system.
namespace vell::player::hooks {

namespace {
TContentManager* Content() { return PlayerProcessState().ContentManager.get(); }
}  // namespace

HRESULT WINAPI HookCreateURLMoniker(IMoniker* context, LPCWSTR url, IMoniker** moniker) try {
  if (moniker) *moniker = nullptr;
  TContentManager* content = Content();
  return content ? content->CreateMoniker(context, url, moniker) : E_FAIL;
} catch (...) {
  return E_FAIL;
}

HANDLE WINAPI HookCreateFileA(LPCSTR path, DWORD desiredAccess, DWORD shareMode, LPSECURITY_ATTRIBUTES security,
                              DWORD creationDisposition, DWORD flagsAndAttributes, HANDLE templateFile) try {
  if (TContentManager* content = Content()) {
    return content->OpenFileAnsi(path, desiredAccess, shareMode, security, creationDisposition, flagsAndAttributes, templateFile);
  }
  return ::CreateFileA(path, desiredAccess, shareMode, security, creationDisposition, flagsAndAttributes, templateFile);
} catch (...) {
  return INVALID_HANDLE_VALUE;
}

HANDLE WINAPI HookCreateFileW(LPCWSTR path, DWORD desiredAccess, DWORD shareMode, LPSECURITY_ATTRIBUTES security,
                              DWORD creationDisposition, DWORD flagsAndAttributes, HANDLE templateFile) try {
  if (TContentManager* content = Content()) {
    return content->OpenFile(path, desiredAccess, shareMode, security, creationDisposition, flagsAndAttributes, templateFile);
  }
  return ::CreateFileW(path, desiredAccess, shareMode, security, creationDisposition, flagsAndAttributes, templateFile);
} catch (...) {
  return INVALID_HANDLE_VALUE;
}

BOOL WINAPI HookReadFile(HANDLE file, LPVOID buffer, DWORD count, LPDWORD read, LPOVERLAPPED overlapped) try {
  TContentManager* content = Content();
  return content ? content->ReadFile(file, buffer, count, read, overlapped) : ::ReadFile(file, buffer, count, read, overlapped);
} catch (...) {
  return FALSE;
}

BOOL WINAPI HookCloseHandle(HANDLE handle) try {
  TContentManager* content = Content();
  return content ? content->CloseHandle(handle) : ::CloseHandle(handle);
} catch (...) {
  return FALSE;
}

DWORD WINAPI HookGetFileSize(HANDLE file, LPDWORD sizeHigh) try {
  TContentManager* content = Content();
  return content ? content->GetFileSize(file, sizeHigh) : ::GetFileSize(file, sizeHigh);
} catch (...) {
  return INVALID_FILE_SIZE;
}

BOOL WINAPI HookGetFileSizeEx(HANDLE file, PLARGE_INTEGER size) try {
  TContentManager* content = Content();
  return content ? content->GetFileSizeEx(file, size) : ::GetFileSizeEx(file, size);
} catch (...) {
  return FALSE;
}

DWORD WINAPI HookSetFilePointer(HANDLE file, LONG distance, PLONG distanceHigh, DWORD moveMethod) try {
  TContentManager* content = Content();
  return content ? content->SetFilePointer(file, distance, distanceHigh, moveMethod)
                 : ::SetFilePointer(file, distance, distanceHigh, moveMethod);
} catch (...) {
  return INVALID_SET_FILE_POINTER;
}

BOOL WINAPI HookSetFilePointerEx(HANDLE file, LARGE_INTEGER distance, PLARGE_INTEGER newPosition, DWORD moveMethod) try {
  TContentManager* content = Content();
  return content ? content->SetFilePointerEx(file, distance, newPosition, moveMethod)
                 : ::SetFilePointerEx(file, distance, newPosition, moveMethod);
} catch (...) {
  return FALSE;
}

}  // namespace vell::player::hooks
