// The container side of OLE that needs the control: what the player's site
// forwards here while the control lives.
#include <windows.h>

#include "player/control/PlayerControl.h"
#include "ui/Form.h"
#include "ui/Menu.h"

namespace vell::player {

namespace {

constexpr RECT kNoClip{0, 0, 32767, 32767};

}  // namespace

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

HRESULT TPlayerControl::OnInPlaceActivate() {
  InPlaceObject_.QueryFrom(OleObject_.Get(), IID_IOleInPlaceObject);
  InPlaceActiveObject_.QueryFrom(OleObject_.Get(), IID_IOleInPlaceActiveObject);
  return S_OK;
}

HRESULT TPlayerControl::OnUIActivate() {
  SetUIActive(true);
  return S_OK;
}

HRESULT TPlayerControl::GetWindowContext(LPRECT position, LPRECT clip, LPOLEINPLACEFRAMEINFO frameInfo) {
  *position = BoundsRectangle();
  *clip = kNoClip;
  frameInfo->fMDIApp = FALSE;
  GetFrameWindow(&frameInfo->hwndFrame);
  frameInfo->haccel = nullptr;
  frameInfo->cAccelEntries = 0;
  return S_OK;
}

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

}  // namespace vell::player
