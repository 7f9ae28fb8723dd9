// The moniker the player gets from CreateURLMoniker: it behaves as the
// system's URL moniker for the same address, except that binding to storage
// goes to the content manager.
#pragma once
#include <windows.h>
#include <urlmon.h>

#include <string>

#include "ComRef.h"

namespace vell::player {

class TContentManager;

// Forwards to the player's own callback what the bind does not answer itself.
class TMyBindStatusCallback final : public IBindStatusCallback {
public:
  TMyBindStatusCallback() = default;
  void SetPrevious(IBindStatusCallback* previous) { previous_ = TComRef<IBindStatusCallback>::Adopt(previous); }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override;

  HRESULT STDMETHODCALLTYPE OnStartBinding(DWORD reserved, IBinding* binding) override;
  HRESULT STDMETHODCALLTYPE GetPriority(LONG* priority) override;
  HRESULT STDMETHODCALLTYPE OnLowResource(DWORD reserved) override;
  HRESULT STDMETHODCALLTYPE OnProgress(ULONG progress, ULONG progressMax, ULONG statusCode, LPCWSTR text) override;
  HRESULT STDMETHODCALLTYPE OnStopBinding(HRESULT result, LPCWSTR error) override;
  HRESULT STDMETHODCALLTYPE GetBindInfo(DWORD* flags, BINDINFO* info) override;
  HRESULT STDMETHODCALLTYPE OnDataAvailable(DWORD flags, DWORD size, FORMATETC* format, STGMEDIUM* medium) override;
  HRESULT STDMETHODCALLTYPE OnObjectAvailable(REFIID iid, IUnknown* object) override;

private:
  ~TMyBindStatusCallback() = default;
  ULONG references_ = 1;
  TComRef<IBindStatusCallback> previous_;
};

class TMyMoniker final : public IMoniker, public IBinding {
public:
  TMyMoniker(TContentManager& manager, IMoniker* context, const std::wstring& url);

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override;

  HRESULT STDMETHODCALLTYPE GetClassID(CLSID* classId) override;
  HRESULT STDMETHODCALLTYPE IsDirty() override;
  HRESULT STDMETHODCALLTYPE Load(IStream* stream) override;
  HRESULT STDMETHODCALLTYPE Save(IStream* stream, BOOL clearDirty) override;
  HRESULT STDMETHODCALLTYPE GetSizeMax(ULARGE_INTEGER* size) override;

  HRESULT STDMETHODCALLTYPE BindToObject(IBindCtx* bindContext, IMoniker* left, REFIID iid, void** object) override;
  HRESULT STDMETHODCALLTYPE BindToStorage(IBindCtx* bindContext, IMoniker* left, REFIID iid, void** object) override;
  HRESULT STDMETHODCALLTYPE Reduce(IBindCtx* bindContext, DWORD howFar, IMoniker** toLeft, IMoniker** reduced) override;
  HRESULT STDMETHODCALLTYPE ComposeWith(IMoniker* right, BOOL onlyIfNotGeneric, IMoniker** composite) override;
  HRESULT STDMETHODCALLTYPE Enum(BOOL forward, IEnumMoniker** enumerator) override;
  HRESULT STDMETHODCALLTYPE IsEqual(IMoniker* other) override;
  HRESULT STDMETHODCALLTYPE Hash(DWORD* hash) override;
  HRESULT STDMETHODCALLTYPE IsRunning(IBindCtx* bindContext, IMoniker* left, IMoniker* newlyRunning) override;
  HRESULT STDMETHODCALLTYPE GetTimeOfLastChange(IBindCtx* bindContext, IMoniker* left, FILETIME* time) override;
  HRESULT STDMETHODCALLTYPE Inverse(IMoniker** inverse) override;
  HRESULT STDMETHODCALLTYPE CommonPrefixWith(IMoniker* other, IMoniker** prefix) override;
  HRESULT STDMETHODCALLTYPE RelativePathTo(IMoniker* other, IMoniker** relativePath) override;
  HRESULT STDMETHODCALLTYPE GetDisplayName(IBindCtx* bindContext, IMoniker* left, LPOLESTR* name) override;
  HRESULT STDMETHODCALLTYPE ParseDisplayName(IBindCtx* bindContext, IMoniker* left, LPOLESTR name, ULONG* eaten,
                                             IMoniker** result) override;
  HRESULT STDMETHODCALLTYPE IsSystemMoniker(DWORD* kind) override;

  HRESULT STDMETHODCALLTYPE Abort() override { return E_FAIL; }
  HRESULT STDMETHODCALLTYPE Suspend() override { return E_FAIL; }
  HRESULT STDMETHODCALLTYPE Resume() override { return E_FAIL; }
  HRESULT STDMETHODCALLTYPE SetPriority(LONG) override { return E_FAIL; }
  HRESULT STDMETHODCALLTYPE GetPriority(LONG*) override { return E_FAIL; }
  HRESULT STDMETHODCALLTYPE GetBindResult(CLSID*, DWORD*, LPOLESTR*, DWORD*) override { return E_FAIL; }

private:
  ~TMyMoniker() = default;
  ULONG references_ = 1;
  TContentManager& manager_;
  std::wstring url_;
  TComRef<IMoniker> context_;
  TComRef<IMoniker> inner_;
};

}  // namespace vell::player
