#include "player/content/Moniker.h"

#include "player/content/ContentManager.h"

namespace vell::player {

namespace {

template <typename T>
void ClearOut(T** out) {
  if (out) *out = nullptr;
}

}  // namespace

HRESULT TMyBindStatusCallback::QueryInterface(REFIID iid, void** object) {
  if (!object) return E_POINTER;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IBindStatusCallback)) {
    *object = static_cast<IBindStatusCallback*>(this);
    AddRef();
    return S_OK;
  }
  // IHttpNegotiate and the like are the player's own callback's business.
  if (previous_) return previous_->QueryInterface(iid, object);
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG TMyBindStatusCallback::Release() {
  const ULONG left = --references_;
  if (left == 0) delete this;
  return left;
}

HRESULT TMyBindStatusCallback::OnStartBinding(DWORD reserved, IBinding* binding) {
  return previous_ ? previous_->OnStartBinding(reserved, binding) : E_NOTIMPL;
}
HRESULT TMyBindStatusCallback::GetPriority(LONG* priority) {
  return previous_ ? previous_->GetPriority(priority) : E_NOTIMPL;
}
HRESULT TMyBindStatusCallback::OnLowResource(DWORD reserved) {
  return previous_ ? previous_->OnLowResource(reserved) : E_NOTIMPL;
}
HRESULT TMyBindStatusCallback::OnProgress(ULONG progress, ULONG progressMax, ULONG statusCode, LPCWSTR text) {
  return previous_ ? previous_->OnProgress(progress, progressMax, statusCode, text) : E_NOTIMPL;
}
HRESULT TMyBindStatusCallback::OnStopBinding(HRESULT result, LPCWSTR error) {
  return previous_ ? previous_->OnStopBinding(result, error) : E_NOTIMPL;
}
HRESULT TMyBindStatusCallback::GetBindInfo(DWORD* flags, BINDINFO* info) {
  return previous_ ? previous_->GetBindInfo(flags, info) : E_NOTIMPL;
}
HRESULT TMyBindStatusCallback::OnDataAvailable(DWORD flags, DWORD size, FORMATETC* format, STGMEDIUM* medium) {
  return previous_ ? previous_->OnDataAvailable(flags, size, format, medium) : E_NOTIMPL;
}
HRESULT TMyBindStatusCallback::OnObjectAvailable(REFIID iid, IUnknown* object) {
  return previous_ ? previous_->OnObjectAvailable(iid, object) : E_NOTIMPL;
}

TMyMoniker::TMyMoniker(TContentManager& manager, IMoniker* context, const std::wstring& url)
    : manager_(manager), url_(url), context_(TComRef<IMoniker>::Share(context)) {
  if (FAILED(manager_.MakeSystemMoniker(context, url_, inner_))) inner_.Reset();
}

HRESULT TMyMoniker::QueryInterface(REFIID iid, void** object) {
  if (!object) return E_POINTER;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IMoniker) || IsEqualIID(iid, IID_IPersist) ||
      IsEqualIID(iid, IID_IPersistStream)) {
    *object = static_cast<IMoniker*>(this);
  } else if (IsEqualIID(iid, IID_IBinding)) {
    *object = static_cast<IBinding*>(this);
  } else {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

ULONG TMyMoniker::Release() {
  const ULONG left = --references_;
  if (left == 0) delete this;
  return left;
}

HRESULT TMyMoniker::BindToStorage(IBindCtx* bindContext, IMoniker* left, REFIID iid, void** object) try {
  auto* callback = new TMyBindStatusCallback();
  TComRef<IBindStatusCallback> ours = TComRef<IBindStatusCallback>::Adopt(callback);
  IBindStatusCallback* previous = nullptr;
  manager_.RegisterSystemBindStatusCallback(bindContext, callback, &previous);
  callback->SetPrevious(previous);
  return manager_.HandleBindToStorage(bindContext, left, iid, context_.Get(), callback, url_, object);
} catch (...) {
  return E_FAIL;
}

// Everything else is the system moniker's answer.
#define VELL_FORWARD(call) return inner_ ? inner_->call : E_FAIL

HRESULT TMyMoniker::GetClassID(CLSID* classId) { VELL_FORWARD(GetClassID(classId)); }
HRESULT TMyMoniker::IsDirty() { VELL_FORWARD(IsDirty()); }
HRESULT TMyMoniker::Load(IStream* stream) { VELL_FORWARD(Load(stream)); }
HRESULT TMyMoniker::Save(IStream* stream, BOOL clearDirty) { VELL_FORWARD(Save(stream, clearDirty)); }
HRESULT TMyMoniker::GetSizeMax(ULARGE_INTEGER* size) { VELL_FORWARD(GetSizeMax(size)); }
HRESULT TMyMoniker::BindToObject(IBindCtx* bindContext, IMoniker* left, REFIID iid, void** object) {
  VELL_FORWARD(BindToObject(bindContext, left, iid, object));
}
HRESULT TMyMoniker::Reduce(IBindCtx* bindContext, DWORD howFar, IMoniker** toLeft, IMoniker** reduced) {
  ClearOut(reduced);
  VELL_FORWARD(Reduce(bindContext, howFar, toLeft, reduced));
}
HRESULT TMyMoniker::ComposeWith(IMoniker* right, BOOL onlyIfNotGeneric, IMoniker** composite) {
  ClearOut(composite);
  VELL_FORWARD(ComposeWith(right, onlyIfNotGeneric, composite));
}
HRESULT TMyMoniker::Enum(BOOL forward, IEnumMoniker** enumerator) {
  ClearOut(enumerator);
  VELL_FORWARD(Enum(forward, enumerator));
}
HRESULT TMyMoniker::IsEqual(IMoniker* other) { VELL_FORWARD(IsEqual(other)); }
HRESULT TMyMoniker::Hash(DWORD* hash) { VELL_FORWARD(Hash(hash)); }
HRESULT TMyMoniker::IsRunning(IBindCtx* bindContext, IMoniker* left, IMoniker* newlyRunning) {
  VELL_FORWARD(IsRunning(bindContext, left, newlyRunning));
}
HRESULT TMyMoniker::GetTimeOfLastChange(IBindCtx* bindContext, IMoniker* left, FILETIME* time) {
  VELL_FORWARD(GetTimeOfLastChange(bindContext, left, time));
}
HRESULT TMyMoniker::Inverse(IMoniker** inverse) {
  ClearOut(inverse);
  VELL_FORWARD(Inverse(inverse));
}
HRESULT TMyMoniker::CommonPrefixWith(IMoniker* other, IMoniker** prefix) {
  ClearOut(prefix);
  VELL_FORWARD(CommonPrefixWith(other, prefix));
}
HRESULT TMyMoniker::RelativePathTo(IMoniker* other, IMoniker** relativePath) {
  ClearOut(relativePath);
  VELL_FORWARD(RelativePathTo(other, relativePath));
}
HRESULT TMyMoniker::GetDisplayName(IBindCtx* bindContext, IMoniker* left, LPOLESTR* name) {
  VELL_FORWARD(GetDisplayName(bindContext, left, name));
}
HRESULT TMyMoniker::ParseDisplayName(IBindCtx* bindContext, IMoniker* left, LPOLESTR name, ULONG* eaten,
                                     IMoniker** result) {
  ClearOut(result);
  VELL_FORWARD(ParseDisplayName(bindContext, left, name, eaten, result));
}
HRESULT TMyMoniker::IsSystemMoniker(DWORD* kind) { VELL_FORWARD(IsSystemMoniker(kind)); }

#undef VELL_FORWARD

}  // namespace vell::player
