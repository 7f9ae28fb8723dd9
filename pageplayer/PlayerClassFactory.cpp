#include "pageplayer/PlayerClassFactory.h"

#include <new>

#include "pageplayer/PagePlayerModule.h"
#include "pageplayer/PagePlayerObject.h"

namespace pageplayer {

TPlayerClassFactory::TPlayerClassFactory() { AddModuleReference(); }
TPlayerClassFactory::~TPlayerClassFactory() { ReleaseModuleReference(); }

HRESULT STDMETHODCALLTYPE TPlayerClassFactory::QueryInterface(REFIID interfaceId, void** object) {
  if (!object) return E_POINTER;
  if (IsEqualIID(interfaceId, IID_IUnknown) || IsEqualIID(interfaceId, IID_IClassFactory)) {
    *object = static_cast<IClassFactory*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE TPlayerClassFactory::AddRef() { return ++references_; }

ULONG STDMETHODCALLTYPE TPlayerClassFactory::Release() {
  const ULONG left = --references_;
  if (left == 0) delete this;
  return left;
}

HRESULT STDMETHODCALLTYPE TPlayerClassFactory::CreateInstance(IUnknown* outer, REFIID interfaceId, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (outer) return CLASS_E_NOAGGREGATION;
  if (!RegisterPlayerWindowClass()) return E_FAIL;
  auto* player = new (std::nothrow) TPagePlayerObject();
  if (!player) return E_OUTOFMEMORY;
  const HRESULT result = player->QueryInterface(interfaceId, object);
  player->Release();
  return result;
}

HRESULT STDMETHODCALLTYPE TPlayerClassFactory::LockServer(BOOL lock) {
  if (lock) {
    AddModuleReference();
  } else {
    ReleaseModuleReference();
  }
  return S_OK;
}

}  // namespace pageplayer
