#include "player/content/ContentManager.h"

#include <string>

#include "player/hooks/PlayerSubsystem.h"

namespace vell::player {

HRESULT TContentManager::CreateMoniker(IMoniker* context, LPCWSTR url, IMoniker** moniker) {
  const auto realCreateURLMoniker = PlayerProcessState().RealCreateURLMoniker;
  if (!realCreateURLMoniker) return E_FAIL;
  return realCreateURLMoniker(context, url, moniker);
}

HANDLE TContentManager::OpenFile(LPCWSTR path, DWORD desiredAccess, DWORD shareMode, LPSECURITY_ATTRIBUTES security,
                                 DWORD creationDisposition, DWORD flagsAndAttributes, HANDLE templateFile) {
  return ::CreateFileW(path, desiredAccess, shareMode, security, creationDisposition, flagsAndAttributes, templateFile);
}

// Every open, ANSI or wide, ends in CreateFileW.
HANDLE TContentManager::OpenFileAnsi(LPCSTR path, DWORD desiredAccess, DWORD shareMode, LPSECURITY_ATTRIBUTES security,
                                     DWORD creationDisposition, DWORD flagsAndAttributes, HANDLE templateFile) {
  if (!path) return OpenFile(nullptr, desiredAccess, shareMode, security, creationDisposition, flagsAndAttributes, templateFile);
  const int length = MultiByteToWideChar(CP_ACP, 0, path, -1, nullptr, 0);
  std::wstring wide(length > 0 ? length : 1, L'\0');
  MultiByteToWideChar(CP_ACP, 0, path, -1, wide.data(), length);
  return OpenFile(wide.c_str(), desiredAccess, shareMode, security, creationDisposition, flagsAndAttributes, templateFile);
}

BOOL TContentManager::ReadFile(HANDLE file, LPVOID buffer, DWORD count, LPDWORD read, LPOVERLAPPED overlapped) {
  return ::ReadFile(file, buffer, count, read, overlapped);
}

BOOL TContentManager::CloseHandle(HANDLE handle) { return ::CloseHandle(handle); }

DWORD TContentManager::GetFileSize(HANDLE file, LPDWORD sizeHigh) { return ::GetFileSize(file, sizeHigh); }

BOOL TContentManager::GetFileSizeEx(HANDLE file, PLARGE_INTEGER size) { return ::GetFileSizeEx(file, size); }

DWORD TContentManager::SetFilePointer(HANDLE file, LONG distance, PLONG distanceHigh, DWORD moveMethod) {
  return ::SetFilePointer(file, distance, distanceHigh, moveMethod);
}

BOOL TContentManager::SetFilePointerEx(HANDLE file, LARGE_INTEGER distance, PLARGE_INTEGER newPosition, DWORD moveMethod) {
  return ::SetFilePointerEx(file, distance, newPosition, moveMethod);
}

}  // namespace vell::player
