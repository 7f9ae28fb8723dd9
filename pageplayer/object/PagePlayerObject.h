#pragma once
#include <windows.h>
#include <ocidl.h>
#include <olectl.h>
#include <oleidl.h>

#include <optional>
#include <string>
#include <utility>

#include "ComBase.h"
#include "PageLayout.h"
#include "ZoomView.h"
#include "object/ConnectionPoint.h"
#include "object/PlayerProperties.h"
#include "player/contract/PlayerContract.h"
#include "stage/BookPlayer.h"
#include "stage/StageWindow.h"

namespace pageplayer {

// The player object: an in-place ActiveX control that plays paged books.
// IOleObject and the in-place interfaces put its stage window into the
// container; the player interface and IDispatch carry its properties and
// methods; its events go out through two connection points.
class TPagePlayerObject final : public IOleObject,
                                public IOleInPlaceObject,
                                public IOleInPlaceActiveObject,
                                public IOleControl,
                                public IConnectionPointContainer,
                                public vell::player::IMoviePlayer_9_0_28_0,
                                private TRefCounted,
                                private IBookPlayerEvents,
                                private IStageOwner,
                                private IWindowHandler {
public:
  // None when its notify window cannot be made.
  static TPagePlayerObject* Create();

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return AddReference(); }
  ULONG STDMETHODCALLTYPE Release() override { return ReleaseReference(); }

  // IOleObject
  HRESULT STDMETHODCALLTYPE SetClientSite(IOleClientSite* site) override;
  HRESULT STDMETHODCALLTYPE GetClientSite(IOleClientSite** site) override;
  HRESULT STDMETHODCALLTYPE SetHostNames(LPCOLESTR application, LPCOLESTR document) override;
  HRESULT STDMETHODCALLTYPE Close(DWORD saveOption) override;
  HRESULT STDMETHODCALLTYPE SetMoniker(DWORD which, IMoniker* moniker) override;
  HRESULT STDMETHODCALLTYPE GetMoniker(DWORD assign, DWORD which, IMoniker** moniker) override;
  HRESULT STDMETHODCALLTYPE InitFromData(IDataObject* data, BOOL creation, DWORD reserved) override;
  HRESULT STDMETHODCALLTYPE GetClipboardData(DWORD reserved, IDataObject** data) override;
  HRESULT STDMETHODCALLTYPE DoVerb(LONG verb, LPMSG message, IOleClientSite* site, LONG index, HWND parent,
                                   LPCRECT bounds) override;
  HRESULT STDMETHODCALLTYPE EnumVerbs(IEnumOLEVERB** verbs) override;
  HRESULT STDMETHODCALLTYPE Update() override;
  HRESULT STDMETHODCALLTYPE IsUpToDate() override;
  HRESULT STDMETHODCALLTYPE GetUserClassID(CLSID* classId) override;
  HRESULT STDMETHODCALLTYPE GetUserType(DWORD form, LPOLESTR* userType) override;
  HRESULT STDMETHODCALLTYPE SetExtent(DWORD aspect, SIZEL* size) override;
  HRESULT STDMETHODCALLTYPE GetExtent(DWORD aspect, SIZEL* size) override;
  HRESULT STDMETHODCALLTYPE Advise(IAdviseSink* sink, DWORD* connection) override;
  HRESULT STDMETHODCALLTYPE Unadvise(DWORD connection) override;
  HRESULT STDMETHODCALLTYPE EnumAdvise(IEnumSTATDATA** advises) override;
  HRESULT STDMETHODCALLTYPE GetMiscStatus(DWORD aspect, DWORD* status) override;
  HRESULT STDMETHODCALLTYPE SetColorScheme(LOGPALETTE* palette) override;

  // IOleWindow, shared by both in-place interfaces
  HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override;
  HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL enter) override;
  // IOleInPlaceObject
  HRESULT STDMETHODCALLTYPE InPlaceDeactivate() override;
  HRESULT STDMETHODCALLTYPE UIDeactivate() override;
  HRESULT STDMETHODCALLTYPE SetObjectRects(LPCRECT position, LPCRECT clip) override;
  HRESULT STDMETHODCALLTYPE ReactivateAndUndo() override;
  // IOleInPlaceActiveObject
  HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG message) override;
  HRESULT STDMETHODCALLTYPE OnFrameWindowActivate(BOOL activate) override;
  HRESULT STDMETHODCALLTYPE OnDocWindowActivate(BOOL activate) override;
  HRESULT STDMETHODCALLTYPE ResizeBorder(LPCRECT border, IOleInPlaceUIWindow* window, BOOL frameWindow) override;
  HRESULT STDMETHODCALLTYPE EnableModeless(BOOL enable) override;

  // IOleControl
  HRESULT STDMETHODCALLTYPE GetControlInfo(CONTROLINFO* info) override;
  HRESULT STDMETHODCALLTYPE OnMnemonic(MSG* message) override;
  HRESULT STDMETHODCALLTYPE OnAmbientPropertyChange(DISPID id) override;
  HRESULT STDMETHODCALLTYPE FreezeEvents(BOOL freeze) override;

  // IConnectionPointContainer
  HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints** points) override;
  HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID id, IConnectionPoint** point) override;

  // IDispatch
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID id, LPOLESTR* names, UINT count, LCID locale, DISPID* ids) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID interfaceId, LCID locale, WORD flags, DISPPARAMS* parameters,
                                   VARIANT* result, EXCEPINFO* exception, UINT* wrongArgument) override;

  // The player interface, slots 7 to 99.
#define PAGEPLAYER_DECLARE_SLOT(slot, name, params) HRESULT STDMETHODCALLTYPE name params override;
  VELL_MOVIE_PLAYER_SLOTS(PAGEPLAYER_DECLARE_SLOT)
#undef PAGEPLAYER_DECLARE_SLOT

private:
  TPagePlayerObject();
  ~TPagePlayerObject() override;

  // In place
  HRESULT PerformVerb(LONG verb, IOleClientSite* site, HWND parent, LPCRECT bounds);
  HRESULT ActivateInPlace(IOleClientSite* site, HWND parent, LPCRECT bounds, bool uiActivate);
  void DeactivateInPlace();
  void ReadAmbientProperties();
  COLORREF Background() const;

  // Book
  void GoToPage(int page);
  // Two facing pages or one, as chosen or by the stage's shape.
  void FollowStageShape();

  // View
  SIZE StageSize() const;
  // The zoom, for the stage's size now; a zoom belongs to the spread it was
  // made on, so any other spread starts fitted.
  TZoomView& View();
  void ViewChanged() { stage_.Invalidate(); }

  // IBookPlayerEvents
  void ReadyStateChanged(int state) override;
  void ProgressChanged(int percent) override;
  void ScriptCall(const std::wstring& request) override;
  void StageChanged() override;

  // IStageOwner
  TStageView CurrentView() override;
  bool Turn(TTurn turn) override;
  void ToggleFullscreen() override;
  void LeaveFullscreen() override;
  bool Zoomed() override;
  void ZoomAt(double factor, int x, int y) override;
  void FitView() override;
  void MoveContent(int dx, int dy) override;
  void ToggleActualSize(int x, int y) override;
  void SendFullscreen(bool on);

  // IWindowHandler of the notify window
  LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;

  TComPtr<IOleClientSite> site_;
  TComPtr<IOleInPlaceSite> inPlaceSite_;
  bool inPlaceActive_ = false;
  bool uiActive_ = false;
  SIZEL extent_;
  COLORREF ambientBackground_ = RGB(0x40, 0x40, 0x40);
  bool userMode_ = true;
  long frozenEvents_ = 0;
  bool fullscreen_ = false;

  TPlayerProperties properties_;
  TConnectionPoint events_;
  TConnectionPoint propertyNotify_;
  HWND notifyWindow_ = nullptr;
  std::optional<TBookPlayer> book_;
  // The host's choice; it outlives the movies loaded.
  TPageLayout layout_ = TPageLayout::Automatic;
  TZoomView zoom_;
  std::pair<int, int> zoomedSpread_{-1, 0};  // first shown page and count
  TStageWindow stage_;
};

}  // namespace pageplayer
