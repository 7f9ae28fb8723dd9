// A player's bind status callback that writes down every notification.
#pragma once
#include <windows.h>
#include <urlmon.h>

#include <string>
#include <vector>

class TFakeBindCallback : public IBindStatusCallback, public IHttpNegotiate {
public:
  std::vector<std::string> Calls;
  std::vector<DWORD> DataThreads;
  HRESULT DataResult = S_OK;
  bool AnswersNegotiate = true;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override { return --references_; }
  ULONG References() const { return references_; }

  HRESULT STDMETHODCALLTYPE OnStartBinding(DWORD reserved, IBinding* binding) override;
  HRESULT STDMETHODCALLTYPE GetPriority(LONG*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE OnLowResource(DWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE OnProgress(ULONG, ULONG, ULONG, LPCWSTR) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnStopBinding(HRESULT result, LPCWSTR error) override;
  HRESULT STDMETHODCALLTYPE GetBindInfo(DWORD*, BINDINFO*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE OnDataAvailable(DWORD flags, DWORD size, FORMATETC* format, STGMEDIUM* medium) override;
  HRESULT STDMETHODCALLTYPE OnObjectAvailable(REFIID, IUnknown*) override { return E_NOTIMPL; }

  HRESULT STDMETHODCALLTYPE BeginningTransaction(LPCWSTR, LPCWSTR, DWORD, LPWSTR*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE OnResponse(DWORD code, LPCWSTR responseHeaders, LPCWSTR requestHeaders,
                                       LPWSTR* additional) override;

private:
  ULONG references_ = 1;
};
