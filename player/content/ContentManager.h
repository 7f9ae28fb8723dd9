#pragma once
#include <windows.h>
#include <urlmon.h>

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "Stream.h"
#include "ComRef.h"
#include "player/content/ContentProvider.h"
#include "player/content/PlayerControlBase.h"

namespace vell::player {

// The system functions the manager falls back to. The player's own imports
// of them are replaced, so whoever sets up the replacement hands the real
// ones down; the file functions default to kernel32's.
struct TContentSystem {
  decltype(&::CreateURLMoniker) CreateURLMoniker = nullptr;
  decltype(&::RegisterBindStatusCallback) RegisterBindStatusCallback = nullptr;
  decltype(&::CreateFileW) CreateFileW = nullptr;
  decltype(&::ReadFile) ReadFile = nullptr;
  decltype(&::CloseHandle) CloseHandle = nullptr;
  decltype(&::GetFileSize) GetFileSize = nullptr;
  decltype(&::SetFilePointer) SetFilePointer = nullptr;
  // Looked up by name: a system without them gets the 32-bit calls instead.
  decltype(&::GetFileSizeEx) GetFileSizeEx = nullptr;
  decltype(&::SetFilePointerEx) SetFilePointerEx = nullptr;
  decltype(&::GetCurrentDirectoryW) GetCurrentDirectoryW = nullptr;
};

// kernel32's file functions; no URL monikers.
TContentSystem KernelContentSystem();

// The application's answer to URLs outside the memory namespace: it gets the
// full URL and a stream to write into; setting `handled` makes the stream its
// own (it frees it when done, which ends the answer).
using TGlobalLoadExternalResourceEx = std::function<void(const std::wstring& url, TStream* stream, bool& handled)>;

// Where the player's URL requests and file calls end up: movies supplied as
// streams get made-up paths, and requests for those paths or anything below
// them go to the owning control's resource events. Everything else goes to
// the application's process-wide callback and then to the system.
class TContentManager {
public:
  TContentManager();
  explicit TContentManager(const TContentSystem& system);
  TContentManager(const TContentManager&) = delete;
  TContentManager& operator=(const TContentManager&) = delete;
  virtual ~TContentManager();

  // The real URL-moniker functions, once they have been looked up.
  void SetUrlMonikerFunctions(decltype(&::CreateURLMoniker) createURLMoniker,
                              decltype(&::RegisterBindStatusCallback) registerBindStatusCallback);
  void SetGlobalOnLoadExternalResourceEx(TGlobalLoadExternalResourceEx handler);

  std::wstring NewMoviePath();
  bool SameResourceURL(const std::wstring& a, const std::wstring& b) const;

  // The caller writes the movie into the returned stream, from any thread,
  // and frees it when done; the player is pointed at the movie at once.
  std::unique_ptr<TStream> CreateMovieStream(IPlayerControlBase* control, bool useLayer, long layer);
  void CopyMovieFromStream(IPlayerControlBase* control, bool useLayer, TStream& source, long layer);

  // Body of the CreateURLMoniker replacement.
  virtual HRESULT CreateMoniker(IMoniker* context, LPCWSTR url, IMoniker** moniker);
  HRESULT HandleBindToStorage(IBindCtx* bindContext, IMoniker* left, REFIID iid, IMoniker* context,
                              IBindStatusCallback* callback, const std::wstring& url, void** object);
  bool RaiseLoadEvents(IPlayerControlBase* control, std::wstring path, IStream* stream);
  std::wstring GetBaseDirectory(IPlayerControlBase* control);

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

  // The stream is used after the look-up's lock is left: a handle must not
  // be closed while another call on it runs, as for any file.
  TStream* FindFakeHandleStream(HANDLE handle);
  bool ReleaseFakeHandle(HANDLE handle);

  void RegisterControl(int id, IPlayerControlBase* control);
  TComRef<IPlayerControlBase> FindControl(int id);
  // The control calls this with itself when it is destroyed.
  void UnregisterControl(IPlayerControlBase* control);

  // The real system calls, for the moniker.
  HRESULT MakeSystemMoniker(IMoniker* context, const std::wstring& url, TComRef<IMoniker>& moniker);
  HRESULT RegisterSystemBindStatusCallback(IBindCtx* bindContext, IBindStatusCallback* callback,
                                           IBindStatusCallback** previous);

private:
  struct TFakeHandleEntry;

  TComRef<IContentProvider> TakePendingProvider(const std::wstring& url);
  HANDLE OpenAsyncResource(LPCWSTR path);
  bool BindSystemMoniker(const std::wstring& url, IBindCtx* bindContext, IMoniker* left, REFIID iid, void** object,
                         bool asynchronousCounts);

  TContentSystem system_;
  TGlobalLoadExternalResourceEx globalHandler_;
  int nextId_ = 1;

  // The player may ask on any thread while the UI thread files movies;
  // nothing is called out of the manager while this is held.
  std::mutex tablesLock_;
  // Keyed by the id of the movie path: a request finds its movie at once.
  std::unordered_map<int, std::pair<std::wstring, TComRef<IContentProvider>>> pendingMovies_;
  std::unordered_map<int, std::vector<TComRef<IPlayerControlBase>>> controls_;

  std::mutex fakeHandlesLock_;
  std::unordered_map<HANDLE, std::unique_ptr<TFakeHandleEntry>> fakeHandles_;
};

}  // namespace vell::player
