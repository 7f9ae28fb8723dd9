#pragma once
#include <windows.h>
#include <objidl.h>

namespace vell::player {

// Where the player's URL requests and file calls end up. This body hands
// every call to the system unchanged; serving memory paths, fake file handles
// and the application's content providers builds on this same interface.
class TContentManager {
public:
  TContentManager() = default;
  TContentManager(const TContentManager&) = delete;
  TContentManager& operator=(const TContentManager&) = delete;
  virtual ~TContentManager() = default;

  // Body of the CreateURLMoniker replacement.
  virtual HRESULT CreateMoniker(IMoniker* context, LPCWSTR url, IMoniker** moniker);

  // Bodies of the CreateFileW / CreateFileA replacements.
  virtual HANDLE OpenFile(LPCWSTR path, DWORD desiredAccess, DWORD shareMode, LPSECURITY_ATTRIBUTES security,
                          DWORD creationDisposition, DWORD flagsAndAttributes, HANDLE templateFile);
  virtual HANDLE OpenFileAnsi(LPCSTR path, DWORD desiredAccess, DWORD shareMode, LPSECURITY_ATTRIBUTES security,
                              DWORD creationDisposition, DWORD flagsAndAttributes, HANDLE templateFile);

  // Bodies of the file-function replacements.
  virtual BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD count, LPDWORD read, LPOVERLAPPED overlapped);
  virtual BOOL CloseHandle(HANDLE handle);
  virtual DWORD GetFileSize(HANDLE file, LPDWORD sizeHigh);
  virtual BOOL GetFileSizeEx(HANDLE file, PLARGE_INTEGER size);
  virtual DWORD SetFilePointer(HANDLE file, LONG distance, PLONG distanceHigh, DWORD moveMethod);
  virtual BOOL SetFilePointerEx(HANDLE file, LARGE_INTEGER distance, PLARGE_INTEGER newPosition, DWORD moveMethod);
};

}  // namespace vell::player
