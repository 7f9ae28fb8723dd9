#include "PlayerClassFactory.h"

#include <new>

#include "object/PagePlayerObject.h"
#include "stage/StageWindowClass.h"

namespace pageplayer {

HRESULT STDMETHODCALLTYPE TPlayerClassFactory::QueryInterface(REFIID interfaceId, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (IsEqualIID(interfaceId, IID_IUnknown) || IsEqualIID(interfaceId, IID_IClassFactory)) return Hand(this, object);
  return E_NOINTERFACE;
}

HRESULT STDMETHODCALLTYPE TPlayerClassFactory::CreateInstance(IUnknown* outer, REFIID interfaceId, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (outer) return CLASS_E_NOAGGREGATION;
  if (!EnsureStageWindowClass()) return E_FAIL;
  TPagePlayerObject* player = TPagePlayerObject::Create();
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
