#include "player/control/PlayerSite.h"

#include <olectl.h>

#include <cmath>

#include "player/contract/PlayerContract.h"
#include "player/control/PlayerControl.h"
#include "ui/Screen.h"

namespace vell::player {

TPlayerSite::TPlayerSite(TPlayerControl& control) : control_(&control) {}

template <typename Call>
HRESULT TPlayerSite::Forward(Call&& call) noexcept {
  TPlayerControl* control = control_.load();
  if (!control) return RPC_E_DISCONNECTED;
  try {
    return call(*control);
  } catch (...) {
    return E_FAIL;
  }
}

HRESULT TPlayerSite::QueryInterface(REFIID interfaceId, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (IsEqualIID(interfaceId, IID_IUnknown) || IsEqualIID(interfaceId, IID_IDispatch) ||
      IsEqualIID(interfaceId, DIID_IMoviePlayerEvents))
    *object = static_cast<IDispatch*>(this);
  else if (IsEqualIID(interfaceId, IID_IPlayerControlBase))
    *object = static_cast<IPlayerControlBase*>(this);
  else if (IsEqualIID(interfaceId, IID_ISimpleFrameSite))
    *object = static_cast<ISimpleFrameSite*>(this);
  else if (IsEqualIID(interfaceId, IID_IPropertyNotifySink))
    *object = static_cast<IPropertyNotifySink*>(this);
  else if (IsEqualIID(interfaceId, IID_IOleInPlaceFrame) || IsEqualIID(interfaceId, IID_IOleInPlaceUIWindow))
    *object = static_cast<IOleInPlaceFrame*>(this);
  else if (IsEqualIID(interfaceId, IID_IOleInPlaceSite) || IsEqualIID(interfaceId, IID_IOleWindow))
    *object = static_cast<IOleInPlaceSite*>(this);
  else if (IsEqualIID(interfaceId, IID_IOleControlSite))
    *object = static_cast<IOleControlSite*>(this);
  else if (IsEqualIID(interfaceId, IID_IOleClientSite))
    *object = static_cast<IOleClientSite*>(this);
  else
    return E_NOINTERFACE;
  AddRef();
  return S_OK;
}

ULONG TPlayerSite::AddRef() { return static_cast<ULONG>(++references_); }

ULONG TPlayerSite::Release() {
  const LONG left = --references_;
  if (left == 0) delete this;
  return static_cast<ULONG>(left);
}

// IDispatch: events and ambient properties are the control's; there is no
// type information to give.
HRESULT TPlayerSite::GetTypeInfoCount(UINT* count) {
  if (count) *count = 0;
  return S_OK;
}

HRESULT TPlayerSite::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
  if (info) *info = nullptr;
  return E_NOTIMPL;
}

HRESULT TPlayerSite::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) { return E_NOTIMPL; }

HRESULT TPlayerSite::Invoke(DISPID dispid, REFIID interfaceId, LCID locale, WORD flags, DISPPARAMS* parameters,
                            VARIANT* result, EXCEPINFO* exception, UINT* argumentError) {
  return Forward([&](TPlayerControl& control) {
    return control.Invoke(dispid, interfaceId, locale, flags, parameters, result, exception, argumentError);
  });
}

// IPlayerControlBase
HRESULT TPlayerSite::PutMovie(LPCWSTR url) {
  return Forward([&](TPlayerControl& control) { return control.PutMovie(url); });
}

HRESULT TPlayerSite::LoadMovie(long layer, LPCWSTR url) {
  return Forward([&](TPlayerControl& control) { return control.LoadMovieForManager(layer, url); });
}

HRESULT TPlayerSite::GetBase(BSTR* base) {
  if (base) *base = nullptr;
  return Forward([&](TPlayerControl& control) { return control.GetBase(base); });
}

HRESULT TPlayerSite::CallLoadExternalResource(LPCWSTR url, TStream* stream) {
  return Forward([&](TPlayerControl& control) { return control.CallLoadExternalResource(url, stream); });
}

HRESULT TPlayerSite::CallLoadExternalResourceEx(LPCWSTR url, TStream* stream, bool* handled) {
  return Forward([&](TPlayerControl& control) { return control.CallLoadExternalResourceEx(url, stream, handled); });
}

HRESULT TPlayerSite::CallLoadExternalResourceAsync(LPCWSTR path, TStream** stream) {
  return Forward([&](TPlayerControl& control) { return control.CallLoadExternalResourceAsync(path, stream); });
}

HRESULT TPlayerSite::CallUnloadExternalResourceAsync(TStream* stream) {
  return Forward([&](TPlayerControl& control) { return control.CallUnloadExternalResourceAsync(stream); });
}

// ISimpleFrameSite and IPropertyNotifySink: nothing to do.
HRESULT TPlayerSite::PreMessageFilter(HWND, UINT, WPARAM, LPARAM, LRESULT*, DWORD*) { return S_OK; }
HRESULT TPlayerSite::PostMessageFilter(HWND, UINT, WPARAM, LPARAM, LRESULT*, DWORD) { return S_OK; }
HRESULT TPlayerSite::OnChanged(DISPID) { return S_OK; }
HRESULT TPlayerSite::OnRequestEdit(DISPID) { return S_OK; }

HRESULT TPlayerSite::ContextSensitiveHelp(BOOL) { return S_OK; }

// IOleInPlaceFrame
HRESULT TPlayerSite::GetFrameWindow(HWND* window) {
  if (window) *window = nullptr;
  return Forward([&](TPlayerControl& control) { return control.GetFrameWindow(window); });
}

HRESULT TPlayerSite::GetBorder(LPRECT) { return INPLACE_E_NOTOOLSPACE; }
HRESULT TPlayerSite::RequestBorderSpace(LPCBORDERWIDTHS) { return INPLACE_E_NOTOOLSPACE; }
HRESULT TPlayerSite::SetBorderSpace(LPCBORDERWIDTHS) { return E_NOTIMPL; }
HRESULT TPlayerSite::SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) { return S_OK; }
HRESULT TPlayerSite::SetStatusText(LPCOLESTR) { return S_OK; }
HRESULT TPlayerSite::EnableModeless(BOOL) { return S_OK; }
HRESULT TPlayerSite::TranslateAccelerator(LPMSG, WORD) { return S_FALSE; }

HRESULT TPlayerSite::InsertMenus(HMENU shared, LPOLEMENUGROUPWIDTHS widths) {
  return Forward([&](TPlayerControl& control) { return control.InsertMenus(shared, widths); });
}

HRESULT TPlayerSite::SetMenu(HMENU shared, HOLEMENU oleMenu, HWND activeObject) {
  return Forward([&](TPlayerControl& control) { return control.SetMenu(shared, oleMenu, activeObject); });
}

HRESULT TPlayerSite::RemoveMenus(HMENU shared) {
  while (GetMenuItemCount(shared) > 0) RemoveMenu(shared, 0, MF_BYPOSITION);
  return S_OK;
}

// IOleInPlaceSite
HRESULT TPlayerSite::GetSiteWindow(HWND* window) {
  if (window) *window = nullptr;
  return Forward([&](TPlayerControl& control) { return control.GetSiteWindow(window); });
}

// Only a site with a control to hold the object can host it in place.
HRESULT TPlayerSite::CanInPlaceActivate() {
  return Forward([](TPlayerControl&) { return S_OK; });
}

HRESULT TPlayerSite::OnInPlaceActivate() {
  return Forward([](TPlayerControl& control) { return control.OnInPlaceActivate(); });
}

HRESULT TPlayerSite::OnUIActivate() {
  return Forward([](TPlayerControl& control) { return control.OnUIActivate(); });
}

HRESULT TPlayerSite::GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document, LPRECT position,
                                      LPRECT clip, LPOLEINPLACEFRAMEINFO frameInfo) {
  if (!frame || !document || !position || !clip || !frameInfo) return E_POINTER;
  *frame = nullptr;
  *document = nullptr;
  return Forward([&](TPlayerControl& control) {
    const HRESULT result = control.GetWindowContext(position, clip, frameInfo);
    if (SUCCEEDED(result)) {
      *frame = static_cast<IOleInPlaceFrame*>(this);
      AddRef();
    }
    return result;
  });
}

HRESULT TPlayerSite::Scroll(SIZE) { return E_NOTIMPL; }

HRESULT TPlayerSite::OnUIDeactivate(BOOL undoable) {
  return Forward([&](TPlayerControl& control) { return control.OnUIDeactivate(undoable); });
}

HRESULT TPlayerSite::OnInPlaceDeactivate() {
  return Forward([](TPlayerControl& control) { return control.OnInPlaceDeactivate(); });
}

HRESULT TPlayerSite::DiscardUndoState() { return E_NOTIMPL; }

HRESULT TPlayerSite::DeactivateAndUndo() {
  return Forward([](TPlayerControl& control) { return control.DeactivateAndUndo(); });
}

HRESULT TPlayerSite::OnPosRectChange(LPCRECT position) {
  return Forward([&](TPlayerControl& control) { return control.OnPosRectChange(position); });
}

// IOleControlSite
HRESULT TPlayerSite::OnControlInfoChanged() { return E_NOTIMPL; }
HRESULT TPlayerSite::LockInPlaceActive(BOOL) { return E_NOTIMPL; }
HRESULT TPlayerSite::TranslateAccelerator(MSG*, DWORD) { return E_NOTIMPL; }
HRESULT TPlayerSite::OnFocus(BOOL) { return E_NOTIMPL; }
HRESULT TPlayerSite::ShowPropertyFrame() { return E_NOTIMPL; }

HRESULT TPlayerSite::GetExtendedControl(IDispatch** control) {
  if (control) *control = nullptr;
  return E_NOTIMPL;
}

HRESULT TPlayerSite::TransformCoords(POINTL* himetric, POINTF* container, DWORD flags) {
  if (!himetric || !container) return E_POINTER;
  const int ppi = ui::ScreenPixelsPerInch();
  if (flags & XFORMCOORDS_HIMETRICTOCONTAINER) {
    container->x = static_cast<float>(MulDiv(himetric->x, ppi, 2540));
    container->y = static_cast<float>(MulDiv(himetric->y, ppi, 2540));
  } else {
    himetric->x = static_cast<LONG>(std::lround(container->x * 2540.0 / ppi));
    himetric->y = static_cast<LONG>(std::lround(container->y * 2540.0 / ppi));
  }
  return S_OK;
}

// IOleClientSite
HRESULT TPlayerSite::SaveObject() { return S_OK; }
HRESULT TPlayerSite::OnShowWindow(BOOL) { return S_OK; }

HRESULT TPlayerSite::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
  if (moniker) *moniker = nullptr;
  return E_NOTIMPL;
}

HRESULT TPlayerSite::GetContainer(IOleContainer** container) {
  if (container) *container = nullptr;
  return E_NOINTERFACE;
}

HRESULT TPlayerSite::ShowObject() {
  return Forward([](TPlayerControl& control) { return control.ShowObject(); });
}

HRESULT TPlayerSite::RequestNewObjectLayout() {
  return Forward([](TPlayerControl& control) { return control.RequestNewObjectLayout(); });
}

}  // namespace vell::player
