#include "player/content/ContentManager.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "Bstr.h"
#include "WideText.h"
#include "player/content/MemoryPath.h"
#include "player/content/Moniker.h"
#include "player/content/StreamBasedOnIStream.h"
#include "player/content/SynchronizedStream.h"
#include "player/content/UiThreadCall.h"

namespace vell::player {

namespace {

// Enough for a movie of any size without holding a second whole copy.
constexpr std::size_t kCopyPiece = 1 << 20;

bool EqualUnderSystemCompare(const std::wstring& a, const std::wstring& b) {
  return lstrcmpW(a.c_str(), b.c_str()) == 0;
}

std::unique_ptr<TStream> WrapForApplication(IStream* stream) {
  return std::make_unique<TSynchronizedStreamWrapper>(std::make_unique<TStreamBasedOnIStream>(stream));
}

template <typename T>
T KernelFunction(const char* name) {
  return reinterpret_cast<T>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), name)));
}

}  // namespace

// A file handle the player got for a stream of the application: the handle
// itself is an event object, so that it is a real handle no one else has.
struct TContentManager::TFakeHandleEntry {
  HANDLE Handle;
  std::unique_ptr<TStream> Stream;
  TComRef<IPlayerControlBase> Control;
  decltype(&::CloseHandle) SystemCloseHandle;

  ~TFakeHandleEntry() {
    if (Control) Control->CallUnloadExternalResourceAsync(Stream.get());
    SystemCloseHandle(Handle);
  }
};

TContentSystem KernelContentSystem() {
  TContentSystem system;
  system.CreateFileW = ::CreateFileW;
  system.ReadFile = ::ReadFile;
  system.CloseHandle = ::CloseHandle;
  system.GetFileSize = ::GetFileSize;
  system.SetFilePointer = ::SetFilePointer;
  system.GetFileSizeEx = KernelFunction<decltype(system.GetFileSizeEx)>("GetFileSizeEx");
  system.SetFilePointerEx = KernelFunction<decltype(system.SetFilePointerEx)>("SetFilePointerEx");
  system.GetCurrentDirectoryW = ::GetCurrentDirectoryW;
  return system;
}

TContentManager::TContentManager() : TContentManager(KernelContentSystem()) {}

// The manager is made on the UI thread, before any player exists: that is
// the thread the application's answer streams deliver on.
TContentManager::TContentManager(const TContentSystem& system) : system_(system) {
  try {
    BindUiThread();
  } catch (const std::exception&) {
    // Without the hidden window every stream call runs where it is made.
  }
}

TContentManager::~TContentManager() {
  std::lock_guard<std::mutex> guard(fakeHandlesLock_);
  fakeHandles_.clear();
}

void TContentManager::SetUrlMonikerFunctions(decltype(&::CreateURLMoniker) createURLMoniker,
                                             decltype(&::RegisterBindStatusCallback) registerBindStatusCallback) {
  system_.CreateURLMoniker = createURLMoniker;
  system_.RegisterBindStatusCallback = registerBindStatusCallback;
}

void TContentManager::SetGlobalOnLoadExternalResourceEx(TGlobalLoadExternalResourceEx handler) {
  std::lock_guard<std::mutex> guard(tablesLock_);
  globalHandler_ = std::move(handler);
}

std::wstring TContentManager::NewMoviePath() {
  std::lock_guard<std::mutex> guard(tablesLock_);
  return MoviePathFor(nextId_++);
}

bool TContentManager::SameResourceURL(const std::wstring& a, const std::wstring& b) const {
  return vell::player::SameResourceURL(a, b, EqualUnderSystemCompare);
}

std::unique_ptr<TStream> TContentManager::CreateMovieStream(IPlayerControlBase* control, bool useLayer, long layer) {
  TComRef<IContentProvider> provider;
  TComRef<IStream> providerStream;
  TContentProvider::Create(provider, providerStream);
  std::unique_ptr<TStream> result = WrapForApplication(providerStream.Get());
  providerStream.Reset();

  const std::wstring path = NewMoviePath();
  const int id = ParseMemoryPath(path)->Id;
  {
    std::lock_guard<std::mutex> guard(tablesLock_);
    pendingMovies_.emplace(id, std::make_pair(path, provider));
  }
  RegisterControl(id, control);
  if (useLayer) {
    control->LoadMovie(layer, kResetAddress);
    control->LoadMovie(layer, path.c_str());
  } else {
    control->PutMovie(kResetAddress);
    control->PutMovie(path.c_str());
  }
  return result;
}

// The source is copied in pieces: the provider keeps what the player has not
// taken yet, so a whole extra copy of the movie would only add to the peak.
void TContentManager::CopyMovieFromStream(IPlayerControlBase* control, bool useLayer, TStream& source, long layer) {
  std::unique_ptr<TStream> movie = CreateMovieStream(control, useLayer, layer);
  source.SetPosition(0);
  std::vector<char> piece(kCopyPiece);
  for (;;) {
    const std::size_t read = source.Read(piece.data(), piece.size());
    if (read == 0) break;
    movie->WriteBuffer(piece.data(), read);
  }
}

HRESULT TContentManager::MakeSystemMoniker(IMoniker* context, const std::wstring& url, TComRef<IMoniker>& moniker) {
  if (!system_.CreateURLMoniker) return E_FAIL;
  return system_.CreateURLMoniker(context, url.c_str(), moniker.Out());
}

HRESULT TContentManager::RegisterSystemBindStatusCallback(IBindCtx* bindContext, IBindStatusCallback* callback,
                                                          IBindStatusCallback** previous) {
  if (!system_.RegisterBindStatusCallback) return E_FAIL;
  return system_.RegisterBindStatusCallback(bindContext, callback, previous, 0);
}

HRESULT TContentManager::CreateMoniker(IMoniker* context, LPCWSTR url, IMoniker** moniker) {
  if (!moniker) return E_POINTER;
  *moniker = nullptr;
  *moniker = new TMyMoniker(*this, context, url ? url : L"");
  return S_OK;
}

TComRef<IContentProvider> TContentManager::TakePendingProvider(const std::wstring& url) {
  // Pending movies all have memory paths, so only a request with the same id can match.
  const std::optional<TMemoryPath> requested = ParseMemoryPath(url);
  if (!requested) return {};
  std::lock_guard<std::mutex> guard(tablesLock_);
  const auto found = pendingMovies_.find(requested->Id);
  if (found == pendingMovies_.end() || !SameResourceURL(found->second.first, url)) return {};
  TComRef<IContentProvider> provider = std::move(found->second.second);
  pendingMovies_.erase(found);
  return provider;
}

bool TContentManager::BindSystemMoniker(const std::wstring& url, IBindCtx* bindContext, IMoniker* left, REFIID iid,
                                        void** object, bool asynchronousCounts) {
  TComRef<IMoniker> moniker;
  if (FAILED(MakeSystemMoniker(nullptr, url, moniker)) || !moniker) return false;
  const HRESULT bound = moniker->BindToStorage(bindContext, left, iid, object);
  return bound == S_OK || (asynchronousCounts && bound == MK_S_ASYNCHRONOUS);
}

HRESULT TContentManager::HandleBindToStorage(IBindCtx* bindContext, IMoniker* left, REFIID iid, IMoniker*,
                                             IBindStatusCallback* callback, const std::wstring& url,
                                             void** object) try {
  if (object) *object = nullptr;
  if (TComRef<IContentProvider> pending = TakePendingProvider(url)) {
    pending->SetBindStatusCallback(callback);
    return MK_S_ASYNCHRONOUS;
  }

  TComRef<IContentProvider> provider;
  TComRef<IStream> providerStream;
  TContentProvider::Create(provider, providerStream);
  provider->SetBindStatusCallback(callback);

  bool handled = false;
  if (const std::optional<TMemoryPath> memoryPath = ParseMemoryPath(url)) {
    TComRef<IPlayerControlBase> control = FindControl(memoryPath->Id);
    if (!control) return E_FAIL;
    handled = RaiseLoadEvents(control.Get(), memoryPath->RelativePath, providerStream.Get());
    // Whatever a handler wrote has reached the player already.
    if (!handled && provider->IsEmpty() == S_OK) handled = true;
    if (!handled) {
      const std::wstring address = GetBaseDirectory(control.Get()) + L"/" + memoryPath->RelativePath;
      handled = BindSystemMoniker(address, bindContext, left, iid, object, true);
    }
  } else {
    TGlobalLoadExternalResourceEx global;
    {
      std::lock_guard<std::mutex> guard(tablesLock_);
      global = globalHandler_;
    }
    if (global) {
      std::unique_ptr<TStream> wrapper = WrapForApplication(providerStream.Get());
      global(url, wrapper.get(), handled);
      if (handled) wrapper.release();
    }
    if (!handled) handled = BindSystemMoniker(url, bindContext, left, iid, object, false);
  }
  return handled ? MK_S_ASYNCHRONOUS : MK_E_NOSTORAGE;
} catch (...) {
  return E_FAIL;
}

bool TContentManager::RaiseLoadEvents(IPlayerControlBase* control, std::wstring path, IStream* stream) {
  if (!path.empty() && path[0] == L'/') path.erase(0, 1);
  bool handled = false;
  std::unique_ptr<TStream> wrapper = WrapForApplication(stream);
  control->CallLoadExternalResourceEx(path.c_str(), wrapper.get(), &handled);
  if (handled) {
    // The handler frees it when it is done, from whatever thread.
    wrapper.release();
    return true;
  }
  TMemoryStream answer;
  const HRESULT raised = control->CallLoadExternalResource(path.c_str(), &answer);
  // A handler that fails has declined: what it wrote before is not served.
  if (FAILED(raised)) return false;
  handled = answer.Size() > 0;
  if (handled) wrapper->WriteBuffer(answer.Memory(), static_cast<std::size_t>(answer.Size()));
  return handled;
}

std::wstring TContentManager::GetBaseDirectory(IPlayerControlBase* control) {
  TBstr base;
  control->GetBase(base.Out());
  std::wstring text = base.Text();
  if (!text.empty() || !system_.GetCurrentDirectoryW) return text;
  const DWORD length = system_.GetCurrentDirectoryW(0, nullptr);
  if (length == 0) return text;
  text.resize(length);
  const DWORD written = system_.GetCurrentDirectoryW(length, text.data());
  text.resize(written < length ? written : 0);
  return text;
}

HANDLE TContentManager::OpenAsyncResource(LPCWSTR path) {
  const std::optional<TMemoryPath> memoryPath = ParseMemoryPath(path);
  if (!memoryPath) return nullptr;
  TComRef<IPlayerControlBase> control = FindControl(memoryPath->Id);
  if (!control) return nullptr;
  TStream* supplied = nullptr;
  const HRESULT raised = control->CallLoadExternalResourceAsync(memoryPath->RelativePath.c_str(), &supplied);
  std::unique_ptr<TStream> stream(supplied);
  if (!stream || FAILED(raised)) return nullptr;
  stream->SetPosition(0);
  HANDLE event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  if (!event) return nullptr;
  auto entry = std::unique_ptr<TFakeHandleEntry>(
      new TFakeHandleEntry{event, std::move(stream), std::move(control), system_.CloseHandle});
  std::lock_guard<std::mutex> guard(fakeHandlesLock_);
  fakeHandles_.emplace(event, std::move(entry));
  return event;
}

HANDLE TContentManager::OpenFile(LPCWSTR path, DWORD desiredAccess, DWORD shareMode, LPSECURITY_ATTRIBUTES security,
                                 DWORD creationDisposition, DWORD flagsAndAttributes, HANDLE templateFile) {
  if (path) {
    if (HANDLE fake = OpenAsyncResource(path)) return fake;
    if (const std::optional<TMemoryPath> memoryPath = ParseMemoryPath(path)) {
      if (TComRef<IPlayerControlBase> control = FindControl(memoryPath->Id)) {
        std::wstring file = GetBaseDirectory(control.Get()) + L"\\" + memoryPath->RelativePath;
        std::replace(file.begin(), file.end(), L'/', L'\\');
        return system_.CreateFileW(file.c_str(), desiredAccess, shareMode, security, creationDisposition,
                                   flagsAndAttributes, templateFile);
      }
    }
  }
  return system_.CreateFileW(path, desiredAccess, shareMode, security, creationDisposition, flagsAndAttributes,
                             templateFile);
}

// Every open, ANSI or wide, ends in CreateFileW.
HANDLE TContentManager::OpenFileAnsi(LPCSTR path, DWORD desiredAccess, DWORD shareMode, LPSECURITY_ATTRIBUTES security,
                                     DWORD creationDisposition, DWORD flagsAndAttributes, HANDLE templateFile) {
  if (!path) return OpenFile(nullptr, desiredAccess, shareMode, security, creationDisposition, flagsAndAttributes, templateFile);
  return OpenFile(AnsiToWide(path).c_str(), desiredAccess, shareMode, security, creationDisposition, flagsAndAttributes, templateFile);
}

TStream* TContentManager::FindFakeHandleStream(HANDLE handle) {
  std::lock_guard<std::mutex> guard(fakeHandlesLock_);
  const auto found = fakeHandles_.find(handle);
  return found == fakeHandles_.end() ? nullptr : found->second->Stream.get();
}

bool TContentManager::ReleaseFakeHandle(HANDLE handle) {
  std::lock_guard<std::mutex> guard(fakeHandlesLock_);
  const auto found = fakeHandles_.find(handle);
  if (found == fakeHandles_.end()) return false;
  // The entry goes under the lock: the unload event and the stream's end too.
  std::unique_ptr<TFakeHandleEntry> entry = std::move(found->second);
  fakeHandles_.erase(found);
  entry.reset();
  return true;
}

BOOL TContentManager::ReadFile(HANDLE file, LPVOID buffer, DWORD count, LPDWORD read, LPOVERLAPPED overlapped) {
  TStream* stream = FindFakeHandleStream(file);
  if (!stream) return system_.ReadFile(file, buffer, count, read, overlapped);
  try {
    const std::size_t done = stream->Read(buffer, count);
    if (read) *read = static_cast<DWORD>(done);
    return TRUE;
  } catch (...) {
    return FALSE;
  }
}

BOOL TContentManager::CloseHandle(HANDLE handle) {
  if (ReleaseFakeHandle(handle)) return TRUE;
  return system_.CloseHandle(handle);
}

DWORD TContentManager::GetFileSize(HANDLE file, LPDWORD sizeHigh) {
  TStream* stream = FindFakeHandleStream(file);
  if (!stream) return system_.GetFileSize(file, sizeHigh);
  try {
    const auto size = static_cast<std::uint64_t>(stream->Size());
    if (sizeHigh) *sizeHigh = static_cast<DWORD>(size >> 32);
    return static_cast<DWORD>(size);
  } catch (...) {
    return 0;
  }
}

BOOL TContentManager::GetFileSizeEx(HANDLE file, PLARGE_INTEGER size) {
  TStream* stream = FindFakeHandleStream(file);
  if (!stream) {
    if (system_.GetFileSizeEx) return system_.GetFileSizeEx(file, size);
    DWORD high = 0;
    const DWORD low = system_.GetFileSize(file, &high);
    if (size) {
      size->LowPart = low;
      size->HighPart = static_cast<LONG>(high);
    }
    return TRUE;
  }
  try {
    const std::int64_t bytes = stream->Size();
    if (size) size->QuadPart = bytes;
    return TRUE;
  } catch (...) {
    return FALSE;
  }
}

namespace {

std::optional<TSeekOrigin> OriginOf(DWORD moveMethod) {
  switch (moveMethod) {
    case FILE_BEGIN: return TSeekOrigin::soBeginning;
    case FILE_CURRENT: return TSeekOrigin::soCurrent;
    case FILE_END: return TSeekOrigin::soEnd;
    default: return std::nullopt;
  }
}

}  // namespace

DWORD TContentManager::SetFilePointer(HANDLE file, LONG distance, PLONG distanceHigh, DWORD moveMethod) {
  TStream* stream = FindFakeHandleStream(file);
  if (!stream) return system_.SetFilePointer(file, distance, distanceHigh, moveMethod);
  try {
    const std::optional<TSeekOrigin> origin = OriginOf(moveMethod);
    if (!origin) return INVALID_SET_FILE_POINTER;
    const auto position = static_cast<std::uint64_t>(stream->Seek(distance, *origin));
    if (distanceHigh) *distanceHigh = static_cast<LONG>(position >> 32);
    return static_cast<DWORD>(position);
  } catch (...) {
    return INVALID_SET_FILE_POINTER;
  }
}

BOOL TContentManager::SetFilePointerEx(HANDLE file, LARGE_INTEGER distance, PLARGE_INTEGER newPosition,
                                       DWORD moveMethod) {
  TStream* stream = FindFakeHandleStream(file);
  if (!stream) {
    if (system_.SetFilePointerEx) return system_.SetFilePointerEx(file, distance, newPosition, moveMethod);
    system_.SetFilePointer(file, static_cast<LONG>(distance.LowPart), nullptr, moveMethod);
    return TRUE;
  }
  try {
    const std::optional<TSeekOrigin> origin = OriginOf(moveMethod);
    if (!origin) return FALSE;
    // The whole distance: a stream may be larger than 4 GiB.
    const std::int64_t position = stream->Seek(distance.QuadPart, *origin);
    if (newPosition) newPosition->QuadPart = position;
    return TRUE;
  } catch (...) {
    return FALSE;
  }
}

void TContentManager::RegisterControl(int id, IPlayerControlBase* control) {
  std::lock_guard<std::mutex> guard(tablesLock_);
  controls_[id].push_back(TComRef<IPlayerControlBase>::Share(control));
}

TComRef<IPlayerControlBase> TContentManager::FindControl(int id) {
  std::lock_guard<std::mutex> guard(tablesLock_);
  const auto found = controls_.find(id);
  if (found == controls_.end() || found->second.empty()) return {};
  return found->second.front();
}

void TContentManager::UnregisterControl(IPlayerControlBase* control) {
  // The references go after the lock is left: releasing the last one may
  // destroy the control, which comes back here.
  std::vector<TComRef<IPlayerControlBase>> released;
  {
    std::lock_guard<std::mutex> guard(tablesLock_);
    for (auto entry = controls_.begin(); entry != controls_.end();) {
      auto& list = entry->second;
      for (auto& ref : list)
        if (ref.Get() == control) released.push_back(std::move(ref));
      list.erase(std::remove_if(list.begin(), list.end(), [](const auto& ref) { return !ref; }), list.end());
      entry = list.empty() ? controls_.erase(entry) : std::next(entry);
    }
  }
}

}  // namespace vell::player
