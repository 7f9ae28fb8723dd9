// One answer to a player's URL request: what the application writes arrives
// at the player as the notifications of a URL binding, however the writing
// and the player's asking are ordered in time.
#pragma once
#include <windows.h>
#include <urlmon.h>

#include <cstdint>
#include <mutex>

#include "ComRef.h"

namespace vell::player {

inline constexpr IID IID_IContentProvider = {
    0x58245B0F, 0xC1F8, 0x4D38, {0xB4, 0x11, 0xF4, 0xEB, 0xE2, 0xA7, 0x65, 0x90}};

struct IContentProvider : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE SetBindStatusCallback(IBindStatusCallback* callback) = 0;
  // S_FALSE (1) when nothing has been written yet, else S_OK.
  virtual HRESULT STDMETHODCALLTYPE IsEmpty() = 0;
  virtual HRESULT STDMETHODCALLTYPE Finish() = 0;
  virtual HRESULT STDMETHODCALLTYPE WriteData(const void* buffer, ULONG count, ULONG* written) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetContentLength(DWORD low, DWORD high) = 0;
};

// What is written before the player's callback is known waits in one growing
// buffer and goes out in a single piece; later writes go out at once.
class TContentProvider final : public IContentProvider {
public:
  // Makes a provider and the write-only stream that feeds it; both come back
  // with one reference each for the caller.
  static void Create(TComRef<IContentProvider>& provider, TComRef<IStream>& stream);

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  HRESULT STDMETHODCALLTYPE SetBindStatusCallback(IBindStatusCallback* callback) override;
  HRESULT STDMETHODCALLTYPE IsEmpty() override;
  HRESULT STDMETHODCALLTYPE Finish() override;
  HRESULT STDMETHODCALLTYPE WriteData(const void* buffer, ULONG count, ULONG* written) override;
  HRESULT STDMETHODCALLTYPE SetContentLength(DWORD low, DWORD high) override;

private:
  TContentProvider() = default;
  ~TContentProvider() = default;

  void SendResponse();
  void Start();
  HRESULT Deliver(IStream* data, ULONG size);
  void Stop();

  std::recursive_mutex lock_;
  ULONG references_ = 1;
  TComRef<IStream> buffer_;
  ULONG bufferedBytes_ = 0;
  bool started_ = false;
  TComRef<IBindStatusCallback> callback_;
  bool dataWritten_ = false;
  bool finished_ = false;
  std::int64_t contentLength_ = -1;
};

// The provider's IStream face: only Write and SetSize do anything. Its end
// is the end of the answer.
class TContentProviderStream final : public IStream {
public:
  explicit TContentProviderStream(IContentProvider* provider);

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  HRESULT STDMETHODCALLTYPE Read(void* buffer, ULONG count, ULONG* read) override;
  HRESULT STDMETHODCALLTYPE Write(const void* buffer, ULONG count, ULONG* written) override;
  HRESULT STDMETHODCALLTYPE Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* position) override;
  HRESULT STDMETHODCALLTYPE SetSize(ULARGE_INTEGER size) override;
  HRESULT STDMETHODCALLTYPE CopyTo(IStream* target, ULARGE_INTEGER count, ULARGE_INTEGER* read,
                                   ULARGE_INTEGER* written) override;
  HRESULT STDMETHODCALLTYPE Commit(DWORD flags) override;
  HRESULT STDMETHODCALLTYPE Revert() override;
  HRESULT STDMETHODCALLTYPE LockRegion(ULARGE_INTEGER offset, ULARGE_INTEGER count, DWORD type) override;
  HRESULT STDMETHODCALLTYPE UnlockRegion(ULARGE_INTEGER offset, ULARGE_INTEGER count, DWORD type) override;
  HRESULT STDMETHODCALLTYPE Stat(STATSTG* stat, DWORD flags) override;
  HRESULT STDMETHODCALLTYPE Clone(IStream** clone) override;

private:
  ~TContentProviderStream();

  std::recursive_mutex lock_;
  ULONG references_ = 1;
  TComRef<IContentProvider> provider_;
};

}  // namespace vell::player
