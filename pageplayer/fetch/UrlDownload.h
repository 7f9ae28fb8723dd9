#pragma once
#include <windows.h>
#include <urlmon.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "ComBase.h"

namespace pageplayer {

// One file fetched through a URL moniker into memory. The binding runs
// asynchronously; its notifications arrive through the calling thread's
// messages (or, from a host that serves the data itself, inside the bind
// call). Each piece of data and the end are posted to the notify window as
// `message` with the download in lParam, so the owner always handles them
// later on the window's thread, never inside a callback.
class TUrlDownload final : public IBindStatusCallback, public IHttpNegotiate, private TRefCounted {
public:
  // wParam of the notify message.
  enum : WPARAM { kProgress = 1, kFinished = 2 };

  // Keeps the first `keepAtMost` bytes; the rest is read and counted but not held.
  static TComPtr<TUrlDownload> Start(const std::wstring& url, HWND notifyWindow, UINT message,
                                     std::size_t keepAtMost = SIZE_MAX);

  bool Finished() const { return finished_; }
  // Finished with data: a failure status or an empty answer yields nothing.
  bool Succeeded() const { return finished_ && succeeded_ && !refused_ && !bytes_.empty(); }
  const std::vector<std::uint8_t>& Bytes() const { return bytes_; }
  // Percentage of the announced length that has arrived; -1 while unknown.
  int PercentDone() const;
  // Stops the binding; no further notice is posted.
  void Abort();

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return AddReference(); }
  ULONG STDMETHODCALLTYPE Release() override { return ReleaseReference(); }

  HRESULT STDMETHODCALLTYPE OnStartBinding(DWORD reserved, IBinding* binding) override;
  HRESULT STDMETHODCALLTYPE GetPriority(LONG* priority) override;
  HRESULT STDMETHODCALLTYPE OnLowResource(DWORD reserved) override;
  HRESULT STDMETHODCALLTYPE OnProgress(ULONG progress, ULONG progressMax, ULONG statusCode,
                                       LPCWSTR statusText) override;
  HRESULT STDMETHODCALLTYPE OnStopBinding(HRESULT result, LPCWSTR error) override;
  HRESULT STDMETHODCALLTYPE GetBindInfo(DWORD* flags, BINDINFO* info) override;
  HRESULT STDMETHODCALLTYPE OnDataAvailable(DWORD flags, DWORD size, FORMATETC* format, STGMEDIUM* medium) override;
  HRESULT STDMETHODCALLTYPE OnObjectAvailable(REFIID id, IUnknown* object) override;

  HRESULT STDMETHODCALLTYPE BeginningTransaction(LPCWSTR url, LPCWSTR headers, DWORD reserved,
                                                 LPWSTR* additionalHeaders) override;
  HRESULT STDMETHODCALLTYPE OnResponse(DWORD code, LPCWSTR responseHeaders, LPCWSTR requestHeaders,
                                       LPWSTR* additionalHeaders) override;

private:
  TUrlDownload(HWND notifyWindow, UINT message, std::size_t keepAtMost)
      : notifyWindow_(notifyWindow), message_(message), keepAtMost_(keepAtMost) {}
  ~TUrlDownload() override = default;

  void Bind(const std::wstring& url);
  void ReadAll(IStream* stream);
  void Finish(bool succeeded);
  void Notify(WPARAM what);

  HWND notifyWindow_;
  UINT message_;
  TComPtr<IBindCtx> context_;
  TComPtr<IBinding> binding_;
  std::size_t keepAtMost_;
  std::vector<std::uint8_t> bytes_;
  std::uint64_t received_ = 0;
  ULONG expected_ = 0;
  bool finished_ = false;
  bool succeeded_ = false;
  bool aborted_ = false;
  bool refused_ = false;  // an HTTP error status
};

}  // namespace pageplayer
