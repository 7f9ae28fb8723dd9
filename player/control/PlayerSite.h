// The player object's client site: the COM object that the player holds and
// talks back to, with a lifetime of its own. The control it speaks for may go
// first; from then on every call fails instead of reaching freed memory.
#pragma once
#include <windows.h>
#include <ocidl.h>
#include <oleidl.h>

#include <atomic>

#include "player/content/PlayerControlBase.h"

namespace vell::player {

class TPlayerControl;

namespace detail {

// The frame's window is the top-level one, the site's the parent's: both
// interfaces name the method GetWindow, so each gets its own body.
class TInPlaceFrameWindow : public IOleInPlaceFrame {
public:
  HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override { return GetFrameWindow(window); }

protected:
  virtual HRESULT GetFrameWindow(HWND* window) = 0;
};

class TInPlaceSiteWindow : public IOleInPlaceSite {
public:
  HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override { return GetSiteWindow(window); }

protected:
  virtual HRESULT GetSiteWindow(HWND* window) = 0;
};

}  // namespace detail

class TPlayerSite final : public IDispatch,
                          public IPlayerControlBase,
                          public ISimpleFrameSite,
                          public IPropertyNotifySink,
                          public detail::TInPlaceFrameWindow,
                          public detail::TInPlaceSiteWindow,
                          public IOleControlSite,
                          public IOleClientSite {
public:
  // Speaks for `control` until Detach; starts with one reference, the creator's.
  explicit TPlayerSite(TPlayerControl& control);
  TPlayerSite(const TPlayerSite&) = delete;
  TPlayerSite& operator=(const TPlayerSite&) = delete;

  // The control is going: later calls answer RPC_E_DISCONNECTED.
  void Detach() noexcept { control_.store(nullptr); }

  IUnknown* Identity() { return static_cast<IDispatch*>(this); }

  // IUnknown (one identity for every interface below).
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID interfaceId, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  // IDispatch: the player's events and its ambient-property questions.
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID dispid, REFIID interfaceId, LCID locale, WORD flags, DISPPARAMS* parameters,
                                   VARIANT* result, EXCEPINFO* exception, UINT* argumentError) override;

  // IPlayerControlBase
  HRESULT STDMETHODCALLTYPE PutMovie(LPCWSTR url) override;
  HRESULT STDMETHODCALLTYPE LoadMovie(long layer, LPCWSTR url) override;
  HRESULT STDMETHODCALLTYPE GetBase(BSTR* base) override;
  HRESULT STDMETHODCALLTYPE CallLoadExternalResource(LPCWSTR url, TStream* stream) override;
  HRESULT STDMETHODCALLTYPE CallLoadExternalResourceEx(LPCWSTR url, TStream* stream, bool* handled) override;
  HRESULT STDMETHODCALLTYPE CallLoadExternalResourceAsync(LPCWSTR path, TStream** stream) override;
  HRESULT STDMETHODCALLTYPE CallUnloadExternalResourceAsync(TStream* stream) override;

  // ISimpleFrameSite
  HRESULT STDMETHODCALLTYPE PreMessageFilter(HWND, UINT, WPARAM, LPARAM, LRESULT*, DWORD*) override;
  HRESULT STDMETHODCALLTYPE PostMessageFilter(HWND, UINT, WPARAM, LPARAM, LRESULT*, DWORD) override;

  // IPropertyNotifySink
  HRESULT STDMETHODCALLTYPE OnChanged(DISPID) override;
  HRESULT STDMETHODCALLTYPE OnRequestEdit(DISPID) override;

  // IOleWindow parts of the site and the frame.
  HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override;

  // IOleInPlaceFrame
  HRESULT STDMETHODCALLTYPE GetBorder(LPRECT) override;
  HRESULT STDMETHODCALLTYPE RequestBorderSpace(LPCBORDERWIDTHS) override;
  HRESULT STDMETHODCALLTYPE SetBorderSpace(LPCBORDERWIDTHS) override;
  HRESULT STDMETHODCALLTYPE SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) override;
  HRESULT STDMETHODCALLTYPE InsertMenus(HMENU shared, LPOLEMENUGROUPWIDTHS widths) override;
  HRESULT STDMETHODCALLTYPE SetMenu(HMENU shared, HOLEMENU oleMenu, HWND activeObject) override;
  HRESULT STDMETHODCALLTYPE RemoveMenus(HMENU shared) override;
  HRESULT STDMETHODCALLTYPE SetStatusText(LPCOLESTR) override;
  HRESULT STDMETHODCALLTYPE EnableModeless(BOOL) override;
  HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG, WORD) override;

  // IOleInPlaceSite
  HRESULT STDMETHODCALLTYPE CanInPlaceActivate() override;
  HRESULT STDMETHODCALLTYPE OnInPlaceActivate() override;
  HRESULT STDMETHODCALLTYPE OnUIActivate() override;
  HRESULT STDMETHODCALLTYPE GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document, LPRECT position,
                                             LPRECT clip, LPOLEINPLACEFRAMEINFO frameInfo) override;
  HRESULT STDMETHODCALLTYPE Scroll(SIZE) override;
  HRESULT STDMETHODCALLTYPE OnUIDeactivate(BOOL) override;
  HRESULT STDMETHODCALLTYPE OnInPlaceDeactivate() override;
  HRESULT STDMETHODCALLTYPE DiscardUndoState() override;
  HRESULT STDMETHODCALLTYPE DeactivateAndUndo() override;
  HRESULT STDMETHODCALLTYPE OnPosRectChange(LPCRECT position) override;

  // IOleControlSite
  HRESULT STDMETHODCALLTYPE OnControlInfoChanged() override;
  HRESULT STDMETHODCALLTYPE LockInPlaceActive(BOOL) override;
  HRESULT STDMETHODCALLTYPE GetExtendedControl(IDispatch** control) override;
  HRESULT STDMETHODCALLTYPE TransformCoords(POINTL* himetric, POINTF* container, DWORD flags) override;
  HRESULT STDMETHODCALLTYPE TranslateAccelerator(MSG*, DWORD) override;
  HRESULT STDMETHODCALLTYPE OnFocus(BOOL) override;
  HRESULT STDMETHODCALLTYPE ShowPropertyFrame() override;

  // IOleClientSite
  HRESULT STDMETHODCALLTYPE SaveObject() override;
  HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker** moniker) override;
  HRESULT STDMETHODCALLTYPE GetContainer(IOleContainer** container) override;
  HRESULT STDMETHODCALLTYPE ShowObject() override;
  HRESULT STDMETHODCALLTYPE OnShowWindow(BOOL) override;
  HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() override;

protected:
  HRESULT GetFrameWindow(HWND* window) override;
  HRESULT GetSiteWindow(HWND* window) override;

private:
  ~TPlayerSite() = default;

  // Runs `call` on the control while there is one; nothing it raises
  // reaches the player.
  template <typename Call>
  HRESULT Forward(Call&& call) noexcept;

  std::atomic<LONG> references_{1};
  std::atomic<TPlayerControl*> control_;
};

}  // namespace vell::player
