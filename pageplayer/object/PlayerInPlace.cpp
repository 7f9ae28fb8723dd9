#include "object/PagePlayerObject.h"

// In-place activation: the container gives a parent window and bounds, the
// player puts its stage window there and tells the container's site.
namespace pageplayer {

HRESULT TPagePlayerObject::ActivateInPlace(IOleClientSite* site, HWND parent, LPCRECT bounds, bool uiActivate) {
  if (site && site != site_.Get()) site_ = TComPtr<IOleClientSite>::Share(site);
  if (!site_) return E_UNEXPECTED;
  if (!inPlaceActive_) {
    inPlaceSite_ = TComPtr<IOleInPlaceSite>::Query(site_.Get(), IID_IOleInPlaceSite);
    if (!inPlaceSite_) return E_NOINTERFACE;
    if (inPlaceSite_->CanInPlaceActivate() != S_OK) return E_FAIL;
    RECT position{0, 0, 0, 0};
    RECT clip{0, 0, 0, 0};
    TComPtr<IOleInPlaceFrame> frame;
    TComPtr<IOleInPlaceUIWindow> document;
    OLEINPLACEFRAMEINFO frameInfo{};
    frameInfo.cb = sizeof frameInfo;
    inPlaceSite_->GetWindowContext(frame.Out(), document.Out(), &position, &clip, &frameInfo);
    if (bounds) position = *bounds;
    if (!parent) inPlaceSite_->GetWindow(&parent);
    if (!parent || !stage_.Create(parent, position)) return E_FAIL;
    inPlaceActive_ = true;
    inPlaceSite_->OnInPlaceActivate();
  } else if (bounds) {
    stage_.Move(*bounds);
  }
  if (uiActivate && !uiActive_) {
    uiActive_ = true;
    inPlaceSite_->OnUIActivate();
    SetFocus(stage_.Handle());
  }
  return S_OK;
}

void TPagePlayerObject::DeactivateInPlace() {
  if (!inPlaceActive_) return;
  UIDeactivate();
  inPlaceActive_ = false;
  stage_.Destroy();
  // The site may release this object's in-place interfaces, the last references among them.
  const TComPtr<IUnknown> self = TComPtr<IUnknown>::Share(static_cast<IOleObject*>(this));
  const TComPtr<IOleInPlaceSite> site = std::move(inPlaceSite_);
  if (site) site->OnInPlaceDeactivate();
}

HRESULT STDMETHODCALLTYPE TPagePlayerObject::DoVerb(LONG verb, LPMSG, IOleClientSite* site, LONG, HWND parent,
                                                     LPCRECT bounds) {
  return Guarded([&] { return PerformVerb(verb, site, parent, bounds); });
}

HRESULT TPagePlayerObject::PerformVerb(LONG verb, IOleClientSite* site, HWND parent, LPCRECT bounds) {
  switch (verb) {
    case OLEIVERB_INPLACEACTIVATE:
      return ActivateInPlace(site, parent, bounds, false);
    case OLEIVERB_UIACTIVATE:
    case OLEIVERB_SHOW:
    case OLEIVERB_PRIMARY:
      return ActivateInPlace(site, parent, bounds, true);
    case OLEIVERB_HIDE:
      if (stage_.Handle()) ShowWindow(stage_.Handle(), SW_HIDE);
      return S_OK;
    default:
      return OLEOBJ_S_INVALIDVERB;
  }
}

HRESULT STDMETHODCALLTYPE TPagePlayerObject::GetWindow(HWND* window) {
  if (!window) return E_POINTER;
  *window = stage_.Handle();
  return *window ? S_OK : E_FAIL;
}

HRESULT STDMETHODCALLTYPE TPagePlayerObject::ContextSensitiveHelp(BOOL) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE TPagePlayerObject::InPlaceDeactivate() {
  DeactivateInPlace();
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TPagePlayerObject::UIDeactivate() {
  if (!uiActive_) return S_OK;
  uiActive_ = false;
  if (inPlaceSite_) inPlaceSite_->OnUIDeactivate(FALSE);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TPagePlayerObject::SetObjectRects(LPCRECT position, LPCRECT) {
  if (!position) return E_POINTER;
  stage_.Move(*position);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TPagePlayerObject::ReactivateAndUndo() { return E_NOTIMPL; }

// Keys reach the stage window as ordinary key messages; nothing is an accelerator.
HRESULT STDMETHODCALLTYPE TPagePlayerObject::TranslateAccelerator(LPMSG) { return S_FALSE; }
HRESULT STDMETHODCALLTYPE TPagePlayerObject::OnFrameWindowActivate(BOOL) { return S_OK; }
HRESULT STDMETHODCALLTYPE TPagePlayerObject::OnDocWindowActivate(BOOL) { return S_OK; }
HRESULT STDMETHODCALLTYPE TPagePlayerObject::ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) { return S_OK; }
HRESULT STDMETHODCALLTYPE TPagePlayerObject::EnableModeless(BOOL) { return S_OK; }

}  // namespace pageplayer
