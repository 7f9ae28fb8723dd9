// Creation, in-place activation and the window of the player host control.
#include "player/control/PlayerControl.h"

#include <windowsx.h>
#include <olectl.h>

#include "player/control/ContentManagerLink.h"
#include "player/control/OleError.h"
#include "player/control/PlayerCodeSource.h"
#include "ui/Application.h"
#include "ui/Form.h"
#include "ui/Menu.h"
#include "ui/Messages.h"
#include "ui/Screen.h"

namespace vell::player {

namespace {

constexpr LONG kOleVerbInPlaceActivate = -5;  // OLEIVERB_INPLACEACTIVATE
constexpr LONG kOleVerbUIActivate = -4;       // OLEIVERB_UIACTIVATE
// The OLE range that reflected notifications go to: 0xBC00 lowered by this
// lands on 0x2000 (OCM__BASE).
constexpr UINT kReflectionToOle = 0x9C00;
// The point of the key messages handed to the player's TranslateAccelerator.
constexpr LONG kAcceleratorPoint = 0x115DE1F1;

// A container needs OLE on the thread that hosts its objects: initialised
// with the first control of a thread, for the thread's life.
struct TOleOnThread {
  HRESULT result = OleInitialize(nullptr);
  ~TOleOnThread() {
    if (SUCCEEDED(result)) OleUninitialize();
  }
};

void EnsureOleOnThisThread() { thread_local TOleOnThread ole; }

}  // namespace

TPlayerControl::TPlayerControl(ui::TComponent* owner)
    : ui::TWinControl(owner), Site_(TComRef<TPlayerSite>::Adopt(new TPlayerSite(*this))) {
  EnsureOleOnThisThread();
  width_ = 100;
  height_ = 100;
  // Whatever the source answers, a control without an object stays a plain window.
  if (const auto& create = PlayerCodeSource().CreatePlayerObject) create(IID_IOleObject, OleObject_.OutVoid());
  if (OleObject_) {
    OleCheck(OleObject_->SetClientSite(Site()));
    SetTabStop(true);
    OleCheck(RequestNewObjectLayout());
    ConnectEvents();
  }
}

void TPlayerControl::ConnectEvents() {
  TComRef<IConnectionPointContainer> container;
  if (FAILED(container.QueryFrom(OleObject_.Get(), IID_IConnectionPointContainer))) return;
  if (FAILED(container->FindConnectionPoint(DIID_IMoviePlayerEvents, EventConnectionPoint_.Out())) ||
      !EventConnectionPoint_)
    return;
  EventsConnected_ = SUCCEEDED(EventConnectionPoint_->Advise(Identity(), &EventCookie_));
}

TPlayerControl::~TPlayerControl() {
  BeginDestroy();
  // The content manager must not hand this control another request while
  // it goes: its entries leave first.
  UnregisterFromContentManager(ManagerLink());
  if (EventsConnected_) {
    EventConnectionPoint_->Unadvise(EventCookie_);
    EventsConnected_ = false;
  }
  EventConnectionPoint_.Reset();
  SetUIActive(false);
  if (ui::TForm* form = ui::GetParentForm(this)) form->ForgetControl(this);
  if (OleObject_) {
    // The player destroys its own window on Close; it gets its procedure
    // back first, so that nothing of the toolkit runs on a half-gone control.
    ReleaseAdoptedWindow(DefWndProc_);
    OleObject_->Close(OLECLOSE_NOSAVE);
  }
  DestroyControl();
  if (OleObject_) {
    OleObject_->SetClientSite(nullptr);
    OleObject_.Reset();
  }
  InPlaceActiveObject_.Reset();
  InPlaceObject_.Reset();
  // A player that kept the site past all this reaches nothing through it.
  Site_->Detach();
}

void TPlayerControl::EnsureClientSite() {
  TComRef<IOleClientSite> site;
  HRESULT result = E_FAIL;
  try {
    result = OleObject_->GetClientSite(site.Out());
  } catch (...) {
    result = E_FAIL;
  }
  if (FAILED(result) || !site) OleCheck(OleObject_->SetClientSite(Site()));
}

void TPlayerControl::CreateControl() {
  if (OleControl_) return;
  try {
    EnsureClientSite();
    TComRef<IOleControl> control;
    OleCheck(control.QueryFrom(OleObject_.Get(), IID_IOleControl));
    OleControl_ = control;
    OleCheck(ControlDispatch_.QueryFrom(OleObject_.Get(), IID_IDispatch));
    PropertyBrowsing_.QueryFrom(OleObject_.Get(), IID_IPerPropertyBrowsing);
    TComRef<IConnectionPointContainer> container;
    TComRef<IConnectionPoint> point;
    if (SUCCEEDED(container.QueryFrom(OleObject_.Get(), IID_IConnectionPointContainer)) &&
        SUCCEEDED(container->FindConnectionPoint(IID_IPropertyNotifySink, point.Out())) && point) {
      DWORD cookie = 0;
      if (SUCCEEDED(point->Advise(Identity(), &cookie))) PropertyConnection_ = cookie;
    }
    OleControl_->OnAmbientPropertyChange(DISPID_UNKNOWN);
    RequestNewObjectLayout();
  } catch (...) {
    DestroyControl();
    throw;
  }
}

void TPlayerControl::DestroyControl() {
  if (!OleObject_) return;
  if (PropertyConnection_) {
    TComRef<IConnectionPointContainer> container;
    TComRef<IConnectionPoint> point;
    if (SUCCEEDED(container.QueryFrom(OleObject_.Get(), IID_IConnectionPointContainer)) &&
        SUCCEEDED(container->FindConnectionPoint(IID_IPropertyNotifySink, point.Out())) && point &&
        SUCCEEDED(point->Unadvise(PropertyConnection_)))
      PropertyConnection_ = 0;
  }
  PropertyBrowsing_.Reset();
  ControlDispatch_.Reset();
  OleControl_.Reset();
}

RECT TPlayerControl::BoundsRectangle() const { return RECT{left_, top_, left_ + width_, top_ + height_}; }

void TPlayerControl::CreateHandle() {
  if (!OleObject_) {
    ui::TWinControl::CreateHandle();
    return;
  }
  if (handle_) return;
  if (!parent_) throw Exception("Control '" + Name + "' has no parent window");
  HWND parentWindow = parent_->Handle();
  if (handle_) return;  // the parent's creation activated this control already
  CreateControl();
  RECT bounds = BoundsRectangle();
  OleObject_->DoVerb(kOleVerbInPlaceActivate, nullptr, Site(), 0, parentWindow, &bounds);
  if (!InPlaceObject_) throw EOleSysError("OLE control activation failed", E_FAIL);
  HookControlWindow();
  if (!visible_ && IsWindowVisible(handle_)) ShowWindow(handle_, SW_HIDE);
}

void TPlayerControl::HookControlWindow() {
  if (!InPlaceObject_ || handle_) return;
  HWND window = nullptr;
  InPlaceObject_->GetWindow(&window);
  if (!window) throw EOleSysError("Could not obtain OLE control window handle", E_FAIL);
  DefWndProc_ = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window, GWLP_WNDPROC));
  AdoptWindow(window);
}

void TPlayerControl::DestroyWindowHandle() {
  if (!OleObject_) {
    ui::TWinControl::DestroyWindowHandle();
    return;
  }
  ReleaseAdoptedWindow(DefWndProc_);
  OleObject_->Close(OLECLOSE_NOSAVE);
}

void TPlayerControl::SetParent(ui::TWinControl* parent) {
  ui::TWinControl::SetParent(parent);
  if (OleObject_ && parent) {
    EnsureClientSite();
    if (OleControl_) OleControl_->OnAmbientPropertyChange(DISPID_UNKNOWN);
  }
}

void TPlayerControl::SetBounds(int left, int top, int width, int height) {
  if (OleObject_ && ((width != width_ && width_ > 0) || (height != height_ && height_ > 0))) {
    const int ppi = ui::ScreenPixelsPerInch();
    SIZEL extent{MulDiv(width, 2540, ppi), MulDiv(height, 2540, ppi)};
    if (FAILED(OleObject_->SetExtent(DVASPECT_CONTENT, &extent))) {
      width = width_;
      height = height_;
    }
  }
  ui::TWinControl::SetBounds(left, top, width, height);
}

HRESULT TPlayerControl::RequestNewObjectLayout() {
  if (!OleObject_) return E_FAIL;
  SIZEL extent{};
  HRESULT result = OleObject_->GetExtent(DVASPECT_CONTENT, &extent);
  if (FAILED(result)) return result;
  const int ppi = ui::ScreenPixelsPerInch();
  SetBounds(left_, top_, MulDiv(extent.cx, ppi, 2540), MulDiv(extent.cy, ppi, 2540));
  return S_OK;
}

LRESULT TPlayerControl::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (!OleObject_) {
    if (message == WM_PAINT) {
      PaintWithoutObject(reinterpret_cast<HDC>(wParam));
      return 0;
    }
    if (message == WM_ERASEBKGND) return 1;
    if (message == ui::CM_DIALOGKEY) return 0;
    return ui::TWinControl::WndProc(message, wParam, lParam);
  }
  if (message == WM_KEYDOWN && wParam == VK_APPS) {
    if (PopupMenu()) return Perform(WM_CONTEXTMENU, wParam, static_cast<LPARAM>(0xFFFFFFFF));
    if (!StandartMenu_) return 0;
  }
  if (message == WM_RBUTTONUP) {
    POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    ClientToScreen(handle_, &at);
    return Perform(WM_CONTEXTMENU, wParam, MAKELPARAM(at.x, at.y));
  }
  if (message >= ui::CN_KEYDOWN && message <= ui::CN_KEYLAST && InPlaceActiveObject_) {
    MSG key{handle_, message - ui::CN_BASE, wParam, lParam, static_cast<DWORD>(GetMessageTime()),
            POINT{kAcceleratorPoint, kAcceleratorPoint}};
    if (InPlaceActiveObject_->TranslateAccelerator(&key) == S_OK) return 1;
  }
  if (message == ui::CM_PARENTFONTCHANGED && ParentFont() && OleControl_) {
    OleControl_->OnAmbientPropertyChange(DISPID_AMBIENT_FONT);
    OleControl_->OnAmbientPropertyChange(DISPID_AMBIENT_FORECOLOR);
  } else if (message == ui::CM_PARENTCOLORCHANGED && ParentColor() && OleControl_) {
    OleControl_->OnAmbientPropertyChange(DISPID_AMBIENT_BACKCOLOR);
  }
  switch (message) {
    case WM_ERASEBKGND:
      return DefaultHandler(message, wParam, lParam);  // the player erases
    case WM_PAINT:
      return DefaultHandler(message, wParam, lParam);  // ends in the player's procedure
    case ui::CM_DIALOGKEY:
      return DialogKey(wParam, lParam);
    case ui::CM_UIACTIVATE:
      UIActivate();
      return 0;
    case ui::CM_UIDEACTIVATE:
      UIDeactivate();
      return 0;
    case ui::CM_DOCWINDOWACTIVATE:
      DocWindowActivate(wParam);
      return 0;
    default:
      break;
  }
  if (message >= WM_MOUSEMOVE && message <= WM_MBUTTONDBLCLK) return MouseMessage(message, wParam, lParam);
  return ui::TWinControl::WndProc(message, wParam, lParam);
}

LRESULT TPlayerControl::DefaultHandler(UINT message, WPARAM wParam, LPARAM lParam) {
  if (!OleObject_ || !handle_) return ui::TWinControl::DefaultHandler(message, wParam, lParam);
  // A failing player call inside message processing must not leave the loop.
  try {
    if (message == WM_SIZE) {
      RECT bounds = BoundsRectangle();
      OleObject_->DoVerb(kOleVerbInPlaceActivate, nullptr, Site(), 0, parent_ ? parent_->Handle() : nullptr, &bounds);
      return 0;
    }
    if (message >= ui::CN_BASE && message <= ui::CN_LAST) message -= kReflectionToOle;
    return CallWindowProcA(DefWndProc_, handle_, message, wParam, lParam);
  } catch (...) {
    return 0;
  }
}

void TPlayerControl::PaintWithoutObject(HDC given) {
  PAINTSTRUCT paint{};
  HDC dc = given ? given : BeginPaint(handle_, &paint);
  RECT client;
  GetClientRect(handle_, &client);
  FillRect(dc, &client, GetSysColorBrush(COLOR_WINDOW));
  if (!given) EndPaint(handle_, &paint);
}

bool TPlayerControl::PaletteChanged(bool foreground) {
  if (foreground && handle_ && DefWndProc_ && CallWindowProcA(DefWndProc_, handle_, WM_QUERYNEWPALETTE, 0, 0))
    return true;
  return ui::TWinControl::PaletteChanged(foreground);
}

LRESULT TPlayerControl::MouseMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  const ui::TShiftState shift = ui::MouseShiftState(wParam);
  const int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
  auto passOn = [&] { ui::TWinControl::WndProc(message, wParam, lParam); };
  auto raiseDown = [&](ui::TMouseButton button, ui::TShiftState extra) {
    if (OnMouseDown) OnMouseDown(this, button, shift | extra, x, y);
  };
  auto raiseUp = [&](ui::TMouseButton button) {
    if (OnMouseUp) OnMouseUp(this, button, shift, x, y);
  };
  switch (message) {
    case WM_LBUTTONDOWN:
      passOn();
      raiseDown(ui::TMouseButton::mbLeft, 0);
      break;
    case WM_RBUTTONDOWN:
      if (StandartMenu_) passOn();
      raiseDown(ui::TMouseButton::mbRight, 0);
      break;
    case WM_MBUTTONDOWN:
      raiseDown(ui::TMouseButton::mbMiddle, 0);
      passOn();
      break;
    case WM_LBUTTONDBLCLK:
      passOn();
      SetCapture(handle_);
      if (OnDblClick) OnDblClick(this);
      raiseDown(ui::TMouseButton::mbLeft, ui::ssDouble);
      break;
    case WM_RBUTTONDBLCLK:
      passOn();
      raiseDown(ui::TMouseButton::mbRight, ui::ssDouble);
      break;
    case WM_MBUTTONDBLCLK:
      passOn();
      raiseDown(ui::TMouseButton::mbMiddle, ui::ssDouble);
      break;
    case WM_MOUSEMOVE:
      passOn();
      if (OnMouseMove) OnMouseMove(this, shift, x, y);
      break;
    case WM_LBUTTONUP: {
      passOn();
      if (GetCapture() == handle_) ReleaseCapture();
      RECT client;
      GetClientRect(handle_, &client);
      if (PtInRect(&client, POINT{x, y}) && OnClick) OnClick(this);
      raiseUp(ui::TMouseButton::mbLeft);
      break;
    }
    case WM_RBUTTONUP:
      passOn();
      raiseUp(ui::TMouseButton::mbRight);
      break;
    case WM_MBUTTONUP:
      passOn();
      raiseUp(ui::TMouseButton::mbMiddle);
      break;
    default:
      passOn();
      break;
  }
  return 0;
}

LRESULT TPlayerControl::DialogKey(WPARAM wParam, LPARAM lParam) {
  if (CanFocus() && OleControl_) {
    CONTROLINFO info{};
    info.cb = sizeof info;
    if (OleControl_->GetControlInfo(&info) == S_OK && info.cAccel > 0) {
      MSG key{handle_, WM_KEYDOWN, wParam, lParam, 0, POINT{}};
      if (IsAccelerator(info.hAccel, info.cAccel, &key, nullptr)) {
        OleControl_->OnMnemonic(&key);
        return 1;
      }
    }
  }
  return ui::TWinControl::WndProc(ui::CM_DIALOGKEY, wParam, lParam);
}

void TPlayerControl::UIActivate() {
  ui::TForm* form = ui::GetParentForm(this);
  if (form && form->ActiveOleControl() == this) return;
  RECT bounds = BoundsRectangle();
  OleObject_->DoVerb(kOleVerbUIActivate, nullptr, Site(), 0, parent_ ? parent_->Handle() : nullptr, &bounds);
}

void TPlayerControl::UIDeactivate() {
  ui::TForm* form = ui::GetParentForm(this);
  if (form && form->ActiveOleControl() != this) return;
  if (InPlaceObject_) InPlaceObject_->UIDeactivate();
  if (form && form->FocusedControl() == this) OnUIDeactivate(FALSE);
}

void TPlayerControl::DocWindowActivate(WPARAM active) {
  ui::TForm* form = ui::GetParentForm(this);
  if (!form || !form->IsMdiChild() || !InPlaceActiveObject_) return;
  InPlaceActiveObject_->OnDocWindowActivate(static_cast<BOOL>(active));
  if (!active) SetMenu(nullptr, nullptr, nullptr);
}

void TPlayerControl::SetUIActive(bool active) {
  ui::TForm* form = ui::GetParentForm(this);
  if (!form) return;
  if (active) {
    ui::TWinControl* recorded = form->ActiveOleControl();
    if (recorded && recorded != this) recorded->Perform(ui::CM_UIDEACTIVATE, 0, 0);
    form->SetActiveOleControl(this);
  } else if (form->ActiveOleControl() == this) {
    form->SetActiveOleControl(nullptr);
  }
}

ui::TMainMenu* TPlayerControl::GetMainMenu() {
  ui::TForm* form = ui::GetParentForm(this);
  if (form && !form->IsMdiChild()) return form->Menu();
  if (ui::TForm* main = ui::Application().MainForm()) return main->Menu();
  return nullptr;
}

}  // namespace vell::player
