#include "object/DispatchCalls.h"
#include "object/PagePlayerObject.h"

// What the player tells its container: events through the event connection
// point, property changes through the property-notification one, and the
// download notices that drive the book arriving on its own window.
namespace pageplayer {

using namespace vell::player;

// IConnectionPointContainer

HRESULT STDMETHODCALLTYPE TPagePlayerObject::EnumConnectionPoints(IEnumConnectionPoints** points) {
  if (points) *points = nullptr;
  return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE TPagePlayerObject::FindConnectionPoint(REFIID id, IConnectionPoint** point) {
  if (!point) return E_POINTER;
  *point = nullptr;
  for (TConnectionPoint* candidate : {&events_, &propertyNotify_}) {
    if (IsEqualIID(id, candidate->Outgoing())) return Hand(static_cast<IConnectionPoint*>(candidate), reinterpret_cast<void**>(point));
  }
  return CONNECT_E_NOCONNECTION;
}

// What the book tells

void TPagePlayerObject::ReadyStateChanged(int state) {
  if (frozenEvents_ == 0) {
    std::vector<TVariant> arguments;
    arguments.emplace_back(static_cast<long>(state));
    RaiseEvent(events_, kDispidReadyStateChange, std::move(arguments));
  }
  NotifyPropertyChanged(propertyNotify_, DISPID_READYSTATE);
}

void TPagePlayerObject::ProgressChanged(int percent) {
  if (frozenEvents_ > 0) return;
  std::vector<TVariant> arguments;
  arguments.emplace_back(static_cast<long>(percent));
  RaiseEvent(events_, kDispidProgress, std::move(arguments));
}

void TPagePlayerObject::ScriptCall(const std::wstring& request) {
  if (frozenEvents_ > 0) return;
  std::vector<TVariant> arguments;
  arguments.emplace_back(request);
  RaiseEvent(events_, kDispidMovieCall, std::move(arguments));
}

void TPagePlayerObject::StageChanged() { stage_.Invalidate(); }

void TPagePlayerObject::SendFullscreen(bool on) {
  fullscreen_ = on;
  if (frozenEvents_ > 0) return;
  std::vector<TVariant> arguments;
  arguments.emplace_back(std::wstring(L"fullscreen"));
  arguments.emplace_back(std::wstring(on ? L"true" : L"false"));
  RaiseEvent(events_, kDispidFSCommand, std::move(arguments));
}

void TPagePlayerObject::ToggleFullscreen() { SendFullscreen(!fullscreen_); }
void TPagePlayerObject::LeaveFullscreen() { SendFullscreen(false); }

LRESULT TPagePlayerObject::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == TBookPlayer::kDownloadMessage) {
    // The events this raises may drop the container's last reference: the
    // object stays until the notice is handled.
    const TComPtr<IUnknown> self = TComPtr<IUnknown>::Share(static_cast<IOleObject*>(this));
    if (book_) {
      book_->HandleDownloadNotice(wParam, lParam);
    } else {
      reinterpret_cast<IUnknown*>(lParam)->Release();
    }
    return 0;
  }
  if (message == TBookPlayer::kDecodedMessage) {
    if (book_) book_->HandleDecoded();
    return 0;
  }
  if (message == WM_TIMER && wParam == TBookPlayer::kReadTimer) {
    const TComPtr<IUnknown> self = TComPtr<IUnknown>::Share(static_cast<IOleObject*>(this));
    if (book_) book_->HandleReadTimer();
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace pageplayer
