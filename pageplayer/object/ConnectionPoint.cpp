#include "object/ConnectionPoint.h"

namespace pageplayer {

HRESULT STDMETHODCALLTYPE TConnectionPoint::QueryInterface(REFIID id, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (IsEqualIID(id, IID_IUnknown) || IsEqualIID(id, IID_IConnectionPoint)) return Hand(this, object);
  return E_NOINTERFACE;
}

HRESULT STDMETHODCALLTYPE TConnectionPoint::GetConnectionInterface(IID* id) {
  if (!id) return E_POINTER;
  *id = outgoing_;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer** container) {
  if (!container) return E_POINTER;
  return Hand(&container_, reinterpret_cast<void**>(container));
}

HRESULT STDMETHODCALLTYPE TConnectionPoint::Advise(IUnknown* sink, DWORD* cookie) {
  if (!cookie) return E_POINTER;
  *cookie = 0;
  if (!sink) return E_POINTER;
  // Held as the interface the calls go to.
  auto asOutgoing = TComPtr<IUnknown>::Query(sink, outgoing_);
  if (!asOutgoing) asOutgoing = TComPtr<IUnknown>::Query(sink, accepted_);
  if (!asOutgoing) return CONNECT_E_CANNOTCONNECT;
  *cookie = nextCookie_++;
  connections_.emplace_back(*cookie, std::move(asOutgoing));
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TConnectionPoint::Unadvise(DWORD cookie) {
  for (auto it = connections_.begin(); it != connections_.end(); ++it) {
    if (it->first == cookie) {
      // Released after the list is consistent again: the sink may call back.
      const TComPtr<IUnknown> sink = std::move(it->second);
      connections_.erase(it);
      return S_OK;
    }
  }
  return CONNECT_E_NOCONNECTION;
}

HRESULT STDMETHODCALLTYPE TConnectionPoint::EnumConnections(IEnumConnections** connections) {
  if (connections) *connections = nullptr;
  return E_NOTIMPL;
}

}  // namespace pageplayer
