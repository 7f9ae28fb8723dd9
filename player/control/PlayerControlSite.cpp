// The container side of OLE: the interfaces the player object talks back to.
#include <windows.h>

#include <cmath>

#include "player/control/PlayerControl.h"
#include "ui/Form.h"
#include "ui/Menu.h"
#include "ui/Screen.h"

namespace vell::player {

namespace {

constexpr RECT kNoClip{0, 0, 32767, 32767};

}  // namespace

HRESULT TPlayerControl::QueryInterface(REFIID interfaceId, void** object) {
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

// The count never frees the control: its owner does.
ULONG TPlayerControl::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&RefCount_)); }
ULONG TPlayerControl::Release() { return static_cast<ULONG>(InterlockedDecrement(&RefCount_)); }

// ISimpleFrameSite and IPropertyNotifySink: nothing to do.
HRESULT TPlayerControl::PreMessageFilter(HWND, UINT, WPARAM, LPARAM, LRESULT*, DWORD*) { return S_OK; }
HRESULT TPlayerControl::PostMessageFilter(HWND, UINT, WPARAM, LPARAM, LRESULT*, DWORD) { return S_OK; }
HRESULT TPlayerControl::OnChanged(DISPID) { return S_OK; }
HRESULT TPlayerControl::OnRequestEdit(DISPID) { return S_OK; }

HRESULT TPlayerControl::ContextSensitiveHelp(BOOL) { return S_OK; }

// IOleClientSite
HRESULT TPlayerControl::SaveObject() { return S_OK; }
HRESULT TPlayerControl::OnShowWindow(BOOL) { return S_OK; }

HRESULT TPlayerControl::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
  if (moniker) *moniker = nullptr;
  return E_NOTIMPL;
}

HRESULT TPlayerControl::GetContainer(IOleContainer** container) {
  if (container) *container = nullptr;
  return E_NOINTERFACE;
}

HRESULT TPlayerControl::ShowObject() {
  try {
    HookControlWindow();
    return S_OK;
  } catch (...) {
    return E_FAIL;
  }
}

// IOleInPlaceSite
HRESULT TPlayerControl::GetSiteWindow(HWND* window) {
  if (!window) return E_POINTER;
  *window = parent_ ? parent_->Handle() : nullptr;
  return *window ? S_OK : E_FAIL;
}

HRESULT TPlayerControl::CanInPlaceActivate() { return S_OK; }

HRESULT TPlayerControl::OnInPlaceActivate() {
  InPlaceObject_.QueryFrom(OleObject_.Get(), IID_IOleInPlaceObject);
  InPlaceActiveObject_.QueryFrom(OleObject_.Get(), IID_IOleInPlaceActiveObject);
  return S_OK;
}

HRESULT TPlayerControl::OnUIActivate() {
  SetUIActive(true);
  return S_OK;
}

HRESULT TPlayerControl::GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document, LPRECT position,
                                         LPRECT clip, LPOLEINPLACEFRAMEINFO frameInfo) {
  if (!frame || !document || !position || !clip || !frameInfo) return E_POINTER;
  *frame = static_cast<IOleInPlaceFrame*>(this);
  AddRef();
  *document = nullptr;
  *position = BoundsRectangle();
  *clip = kNoClip;
  frameInfo->fMDIApp = FALSE;
  GetFrameWindow(&frameInfo->hwndFrame);
  frameInfo->haccel = nullptr;
  frameInfo->cAccelEntries = 0;
  return S_OK;
}

HRESULT TPlayerControl::Scroll(SIZE) { return E_NOTIMPL; }

HRESULT TPlayerControl::OnUIDeactivate(BOOL) {
  SetMenu(nullptr, nullptr, nullptr);
  SetUIActive(false);
  return S_OK;
}

HRESULT TPlayerControl::OnInPlaceDeactivate() {
  InPlaceActiveObject_.Reset();
  InPlaceObject_.Reset();
  return S_OK;
}

HRESULT TPlayerControl::DiscardUndoState() { return E_NOTIMPL; }

HRESULT TPlayerControl::DeactivateAndUndo() {
  if (InPlaceObject_) InPlaceObject_->UIDeactivate();
  return S_OK;
}

HRESULT TPlayerControl::OnPosRectChange(LPCRECT position) {
  if (InPlaceObject_ && position) InPlaceObject_->SetObjectRects(position, &kNoClip);
  return S_OK;
}

// IOleInPlaceFrame
HRESULT TPlayerControl::GetFrameWindow(HWND* window) {
  if (!window) return E_POINTER;
  ui::TForm* form = ui::GetParentForm(this);
  *window = form ? form->Handle() : nullptr;
  return S_OK;
}

HRESULT TPlayerControl::GetBorder(LPRECT) { return INPLACE_E_NOTOOLSPACE; }
HRESULT TPlayerControl::RequestBorderSpace(LPCBORDERWIDTHS) { return INPLACE_E_NOTOOLSPACE; }
HRESULT TPlayerControl::SetBorderSpace(LPCBORDERWIDTHS) { return E_NOTIMPL; }
HRESULT TPlayerControl::SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) { return S_OK; }
HRESULT TPlayerControl::SetStatusText(LPCOLESTR) { return S_OK; }
HRESULT TPlayerControl::EnableModeless(BOOL) { return S_OK; }
HRESULT TPlayerControl::TranslateAccelerator(LPMSG, WORD) { return S_FALSE; }

HRESULT TPlayerControl::InsertMenus(HMENU shared, LPOLEMENUGROUPWIDTHS widths) {
  if (ui::TMainMenu* menu = GetMainMenu(); menu && widths) menu->PopulateOle2Menu(shared, {0, 2, 4}, widths->width);
  return S_OK;
}

HRESULT TPlayerControl::SetMenu(HMENU shared, HOLEMENU oleMenu, HWND activeObject) {
  ui::TMainMenu* menu = GetMainMenu();
  if (!menu) return S_OK;
  menu->SetOle2MenuHandle(shared);
  return OleSetMenuDescriptor(oleMenu, menu->WindowHandle(), activeObject, nullptr, nullptr);
}

HRESULT TPlayerControl::RemoveMenus(HMENU shared) {
  while (GetMenuItemCount(shared) > 0) RemoveMenu(shared, 0, MF_BYPOSITION);
  return S_OK;
}

// IOleControlSite
HRESULT TPlayerControl::OnControlInfoChanged() { return E_NOTIMPL; }
HRESULT TPlayerControl::LockInPlaceActive(BOOL) { return E_NOTIMPL; }
HRESULT TPlayerControl::TranslateAccelerator(MSG*, DWORD) { return E_NOTIMPL; }
HRESULT TPlayerControl::OnFocus(BOOL) { return E_NOTIMPL; }
HRESULT TPlayerControl::ShowPropertyFrame() { return E_NOTIMPL; }

HRESULT TPlayerControl::GetExtendedControl(IDispatch** control) {
  if (control) *control = nullptr;
  return E_NOTIMPL;
}

HRESULT TPlayerControl::TransformCoords(POINTL* himetric, POINTF* container, DWORD flags) {
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

}  // namespace vell::player
