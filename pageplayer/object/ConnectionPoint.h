#pragma once
#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include <functional>
#include <utility>
#include <vector>

#include "ComBase.h"

namespace pageplayer {

// One outgoing interface of the player. It lives inside the player object
// and counts its references on the object, so a host holding it keeps the
// object alive.
class TConnectionPoint final : public IConnectionPoint {
public:
  TConnectionPoint(IConnectionPointContainer& container, const IID& outgoing, const IID& accepted)
      : container_(container), outgoing_(outgoing), accepted_(accepted) {}

  const IID& Outgoing() const { return outgoing_; }
  // Calls each advised sink; sinks advised or unadvised meanwhile do not disturb the walk.
  template <typename Sink>
  void ForEachSink(const std::function<void(Sink&)>& call) const {
    std::vector<TComPtr<IUnknown>> sinks;
    for (const auto& connection : connections_) sinks.push_back(connection.second);
    for (const auto& sink : sinks) call(*reinterpret_cast<Sink*>(sink.Get()));
  }
  void UnadviseAll() { connections_.clear(); }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return container_.AddRef(); }
  ULONG STDMETHODCALLTYPE Release() override { return container_.Release(); }

  HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* id) override;
  HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer** container) override;
  HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) override;
  HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override;
  HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections** connections) override;

private:
  IConnectionPointContainer& container_;
  IID outgoing_;
  IID accepted_;  // what a sink must answer: the outgoing interface or its dispatch base
  std::vector<std::pair<DWORD, TComPtr<IUnknown>>> connections_;
  DWORD nextCookie_ = 1;
};

}  // namespace pageplayer
