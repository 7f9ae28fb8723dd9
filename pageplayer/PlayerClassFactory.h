#pragma once
#include <windows.h>
#include <unknwn.h>

#include "ComBase.h"

namespace pageplayer {

class TPlayerClassFactory final : public IClassFactory, private TRefCounted {
public:
  TPlayerClassFactory() = default;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID interfaceId, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return AddReference(); }
  ULONG STDMETHODCALLTYPE Release() override { return ReleaseReference(); }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID interfaceId, void** object) override;
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override;

private:
  ~TPlayerClassFactory() override = default;
};

}  // namespace pageplayer
