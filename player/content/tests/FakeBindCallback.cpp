#include "FakeBindCallback.h"

namespace {
std::string Narrow(LPCWSTR text) {
  std::string result;
  for (; text && *text; ++text) result += *text == L'\r' ? '|' : *text == L'\n' ? ';' : static_cast<char>(*text);
  return result;
}
}  // namespace

HRESULT TFakeBindCallback::QueryInterface(REFIID iid, void** object) {
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IBindStatusCallback)) {
    *object = static_cast<IBindStatusCallback*>(this);
  } else if (AnswersNegotiate && IsEqualIID(iid, IID_IHttpNegotiate)) {
    *object = static_cast<IHttpNegotiate*>(this);
  } else {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

HRESULT TFakeBindCallback::OnStartBinding(DWORD reserved, IBinding* binding) {
  Calls.push_back("start " + std::to_string(reserved) + (binding ? " binding" : " none"));
  return S_OK;
}

HRESULT TFakeBindCallback::OnStopBinding(HRESULT result, LPCWSTR error) {
  Calls.push_back("stop " + std::to_string(result) + (error ? " text" : " none"));
  return S_OK;
}

HRESULT TFakeBindCallback::OnDataAvailable(DWORD flags, DWORD size, FORMATETC* format, STGMEDIUM* medium) {
  std::string bytes(size, '\0');
  ULONG read = 0;
  medium->pstm->Read(bytes.data(), size, &read);
  bytes.resize(read);
  const bool formatAsSent = format->cfFormat == 0 && !format->ptd && format->dwAspect == DVASPECT_CONTENT &&
                            format->lindex == -1 && format->tymed == TYMED_ISTREAM &&
                            medium->tymed == TYMED_ISTREAM && !medium->pUnkForRelease;
  Calls.push_back("data " + std::to_string(flags) + " " + std::to_string(size) + " " + bytes +
                  (formatAsSent ? "" : " (odd format)"));
  DataThreads.push_back(GetCurrentThreadId());
  return DataResult;
}

HRESULT TFakeBindCallback::OnResponse(DWORD code, LPCWSTR responseHeaders, LPCWSTR requestHeaders,
                                      LPWSTR* additional) {
  Calls.push_back("response " + std::to_string(code) + " " + Narrow(responseHeaders) +
                  (requestHeaders ? " +request" : ""));
  if (additional) *additional = nullptr;
  return S_OK;
}
