#pragma once
#include <windows.h>
#include <unknwn.h>

#include <atomic>

namespace pageplayer {

// Registers the player window's class once per module life, with the hand
// cursor from the module's own resources. False when registration failed.
bool RegisterPlayerWindowClass();

// The player object. So far it only lives and counts its references; the
// player contract's interfaces are added on top of it.
class TPagePlayerObject final : public IUnknown {
public:
  TPagePlayerObject();
  TPagePlayerObject(const TPagePlayerObject&) = delete;
  TPagePlayerObject& operator=(const TPagePlayerObject&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID interfaceId, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

private:
  ~TPagePlayerObject();
  std::atomic<ULONG> references_{1};
};

}  // namespace pageplayer
