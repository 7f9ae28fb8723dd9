#pragma once
#include <windows.h>
#include <unknwn.h>

#include <atomic>

namespace pageplayer {

class TPlayerClassFactory final : public IClassFactory {
public:
  TPlayerClassFactory();
  TPlayerClassFactory(const TPlayerClassFactory&) = delete;
  TPlayerClassFactory& operator=(const TPlayerClassFactory&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID interfaceId, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID interfaceId, void** object) override;
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override;

private:
  ~TPlayerClassFactory();
  std::atomic<ULONG> references_{1};
};

}  // namespace pageplayer
