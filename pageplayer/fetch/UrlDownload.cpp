#include "fetch/UrlDownload.h"

#include <algorithm>
#include <cwchar>

namespace pageplayer {

TComPtr<TUrlDownload> TUrlDownload::Start(const std::wstring& url, HWND notifyWindow, UINT message,
                                          std::size_t keepAtMost) {
  TComPtr<TUrlDownload> download(new TUrlDownload(notifyWindow, message, keepAtMost));
  download->Bind(url);
  return download;
}

void TUrlDownload::Bind(const std::wstring& url) {
  TComPtr<IMoniker> moniker;
  if (FAILED(CreateURLMoniker(nullptr, url.c_str(), moniker.Out())) || !moniker ||
      FAILED(CreateBindCtx(0, context_.Out()))) {
    return Finish(false);
  }
  TComPtr<IBindStatusCallback> previous;
  if (FAILED(RegisterBindStatusCallback(context_.Get(), this, previous.Out(), 0))) return Finish(false);
  TComPtr<IStream> stream;
  const HRESULT result = moniker->BindToStorage(context_.Get(), nullptr, IID_IStream, reinterpret_cast<void**>(stream.Out()));
  if (finished_ || result == MK_S_ASYNCHRONOUS) return;
  if (FAILED(result)) return Finish(false);
  // Bound at once: the data is all there.
  if (stream) ReadAll(stream.Get());
  Finish(true);
}

int TUrlDownload::PercentDone() const {
  if (expected_ == 0) return finished_ ? 100 : -1;
  const unsigned long long percent = received_ * 100ull / expected_;
  return static_cast<int>(percent > 100 ? 100 : percent);
}

void TUrlDownload::Abort() {
  aborted_ = true;
  if (binding_) binding_->Abort();
  binding_.Reset();
  if (context_) RevokeBindStatusCallback(context_.Get(), this);
  context_.Reset();
}

void TUrlDownload::ReadAll(IStream* stream) {
  std::uint8_t chunk[65536];
  for (;;) {
    ULONG read = 0;
    const HRESULT result = stream->Read(chunk, sizeof chunk, &read);
    received_ += read;
    const std::size_t kept = std::min<std::size_t>(read, keepAtMost_ - std::min(keepAtMost_, bytes_.size()));
    if (kept > 0) bytes_.insert(bytes_.end(), chunk, chunk + kept);
    if (result != S_OK || read == 0) break;
  }
}

void TUrlDownload::Finish(bool succeeded) {
  if (finished_) return;
  finished_ = true;
  succeeded_ = succeeded;
  binding_.Reset();
  if (context_) RevokeBindStatusCallback(context_.Get(), this);
  context_.Reset();
  Notify(kFinished);
}

void TUrlDownload::Notify(WPARAM what) {
  if (aborted_ || !notifyWindow_) return;
  // The message holds a reference, dropped by whoever takes the message.
  AddRef();
  if (!PostMessageW(notifyWindow_, message_, what, reinterpret_cast<LPARAM>(this))) Release();
}

HRESULT STDMETHODCALLTYPE TUrlDownload::QueryInterface(REFIID id, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (IsEqualIID(id, IID_IUnknown) || IsEqualIID(id, IID_IBindStatusCallback)) {
    return Hand(static_cast<IBindStatusCallback*>(this), object);
  }
  if (IsEqualIID(id, IID_IHttpNegotiate)) return Hand(static_cast<IHttpNegotiate*>(this), object);
  return E_NOINTERFACE;
}

HRESULT STDMETHODCALLTYPE TUrlDownload::OnStartBinding(DWORD, IBinding* binding) {
  binding_ = TComPtr<IBinding>::Share(binding);
  if (aborted_ && binding) binding->Abort();
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TUrlDownload::GetPriority(LONG* priority) {
  if (!priority) return E_POINTER;
  *priority = THREAD_PRIORITY_NORMAL;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TUrlDownload::OnLowResource(DWORD) { return S_OK; }

HRESULT STDMETHODCALLTYPE TUrlDownload::OnProgress(ULONG, ULONG progressMax, ULONG, LPCWSTR) {
  if (progressMax > 0 && expected_ == 0) expected_ = progressMax;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TUrlDownload::OnStopBinding(HRESULT result, LPCWSTR) {
  Finish(SUCCEEDED(result));
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TUrlDownload::GetBindInfo(DWORD* flags, BINDINFO* info) {
  if (!flags || !info) return E_INVALIDARG;
  *flags = BINDF_ASYNCHRONOUS | BINDF_ASYNCSTORAGE | BINDF_PULLDATA | BINDF_GETNEWESTVERSION | BINDF_NOWRITECACHE;
  const ULONG size = info->cbSize;
  ZeroMemory(info, size);
  info->cbSize = size;
  info->dwBindVerb = BINDVERB_GET;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TUrlDownload::OnDataAvailable(DWORD, DWORD, FORMATETC*, STGMEDIUM* medium) {
  if (aborted_ || finished_) return S_OK;
  // A host may hand a fresh stream with each piece, the system one stream
  // that grows: either way, take what can be read now.
  return Guarded([&] {
    if (medium && medium->tymed == TYMED_ISTREAM && medium->pstm) ReadAll(medium->pstm);
    Notify(kProgress);
    return S_OK;
  });
}

HRESULT STDMETHODCALLTYPE TUrlDownload::OnObjectAvailable(REFIID, IUnknown*) { return S_OK; }

HRESULT STDMETHODCALLTYPE TUrlDownload::BeginningTransaction(LPCWSTR, LPCWSTR, DWORD, LPWSTR* additionalHeaders) {
  if (additionalHeaders) *additionalHeaders = nullptr;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TUrlDownload::OnResponse(DWORD code, LPCWSTR responseHeaders, LPCWSTR,
                                                   LPWSTR* additionalHeaders) {
  if (additionalHeaders) *additionalHeaders = nullptr;
  if (code >= 400) refused_ = true;
  if (responseHeaders) {
    if (const wchar_t* length = std::wcsstr(responseHeaders, L"Content-Length:")) {
      const long value = std::wcstol(length + 15, nullptr, 10);
      if (value > 0) expected_ = static_cast<ULONG>(value);
    }
  }
  return S_OK;
}

}  // namespace pageplayer
