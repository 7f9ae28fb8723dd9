// A small player object for the host control's tests: it answers the player
// contract with a method table laid out like a player of a chosen major
// version, records which slots are called and what happens to it, and makes
// a real child window when it is activated in place.
#pragma once
#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "player/contract/PlayerContract.h"

namespace vell::player::test {

class TTestPlayer final : public IOleObject,
                          public IOleInPlaceObject,
                          public IOleInPlaceActiveObject,
                          public IOleControl,
                          public IConnectionPointContainer,
                          public IConnectionPoint {
public:
  // `playerVersion` is what slot 39 answers (major in bits 16-23).
  explicit TTestPlayer(long playerVersion);
  TTestPlayer(const TTestPlayer&) = delete;
  TTestPlayer& operator=(const TTestPlayer&) = delete;

  // What happened, in order: "SetClientSite", "SetClientSite(null)", "Advise",
  // "Unadvise", "Close", "DoVerb(-5)", "Release to 1", and so on.
  std::vector<std::string> Log;
  // Player slots called since the last ClearSlots, slot 39 left out.
  std::vector<int> Slots;
  void ClearSlots() { Slots.clear(); }
  // Slots that answer E_FAIL (after writing a value to their outputs).
  std::set<int> FailingSlots;
  // Last text and number given to a slot.
  std::wstring LastText;
  long LastNumber = 0;
  // Runs when a slot is called, before it answers.
  std::function<void(int slot)> OnSlot;
  // AllowFullscreen's answer (slot 98).
  std::wstring FullscreenAnswer = L"true";
  bool RefuseExtent = false;
  std::set<WPARAM> AcceleratorKeys;
  // The mnemonics GetControlInfo reports, or none.
  HACCEL Mnemonics = nullptr;
  int MnemonicCount = 0;
  // Messages the player's own window procedure received.
  std::vector<UINT> WindowMessages;
  int Count(UINT message) const;

  HWND Window() const { return window_; }
  IOleClientSite* Site() const { return site_; }
  IDispatch* EventSink() const { return eventSink_; }
  LONG References() const { return references_; }
  int Major() const { return PlayerMajorOf(playerVersion_); }

  // The player interface's slots, as the method table calls them.
  HRESULT CallSlot(int slot);
  HRESULT Answer(int slot, BSTR* text);
  HRESULT Answer(int slot, long* number);
  HRESULT Answer(int slot, VARIANT_BOOL* flag);
  HRESULT Answer(int slot, double* number);
  void Take(BSTR text) { LastText = text ? std::wstring(text, SysStringLen(text)) : std::wstring(); }
  void Take(long number) { LastNumber = number; }
  void Take(VARIANT_BOOL flag) { LastNumber = flag; }
  void Take(double number) { LastNumber = static_cast<long>(number); }

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID interfaceId, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  // IOleObject
  HRESULT STDMETHODCALLTYPE SetClientSite(IOleClientSite* site) override;
  HRESULT STDMETHODCALLTYPE GetClientSite(IOleClientSite** site) override;
  HRESULT STDMETHODCALLTYPE SetHostNames(LPCOLESTR, LPCOLESTR) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE Close(DWORD) override;
  HRESULT STDMETHODCALLTYPE SetMoniker(DWORD, IMoniker*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE InitFromData(IDataObject*, BOOL, DWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetClipboardData(DWORD, IDataObject**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE DoVerb(LONG verb, LPMSG, IOleClientSite* site, LONG, HWND parent, LPCRECT bounds) override;
  HRESULT STDMETHODCALLTYPE EnumVerbs(IEnumOLEVERB**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Update() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE IsUpToDate() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE GetUserClassID(CLSID* id) override;
  HRESULT STDMETHODCALLTYPE GetUserType(DWORD, LPOLESTR*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetExtent(DWORD, SIZEL* size) override;
  HRESULT STDMETHODCALLTYPE GetExtent(DWORD, SIZEL* size) override;
  HRESULT STDMETHODCALLTYPE Advise(IAdviseSink*, DWORD*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumAdvise(IEnumSTATDATA**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetMiscStatus(DWORD, DWORD*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetColorScheme(LOGPALETTE*) override { return E_NOTIMPL; }

  // IOleWindow / IOleInPlaceObject / IOleInPlaceActiveObject
  HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override;
  HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE InPlaceDeactivate() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE UIDeactivate() override;
  HRESULT STDMETHODCALLTYPE SetObjectRects(LPCRECT, LPCRECT) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE ReactivateAndUndo() override { return E_NOTIMPL; }
  // Consumes the keys in AcceleratorKeys.
  HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG message) override;
  HRESULT STDMETHODCALLTYPE OnFrameWindowActivate(BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnDocWindowActivate(BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE EnableModeless(BOOL) override { return S_OK; }

  // IOleControl
  HRESULT STDMETHODCALLTYPE GetControlInfo(CONTROLINFO* info) override;
  HRESULT STDMETHODCALLTYPE OnMnemonic(MSG* message) override;
  HRESULT STDMETHODCALLTYPE OnAmbientPropertyChange(DISPID dispid) override;
  HRESULT STDMETHODCALLTYPE FreezeEvents(BOOL) override { return S_OK; }

  // IConnectionPoint (Unadvise serves IOleObject's too)Container: one point, for the event dispinterface.
  HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID interfaceId, IConnectionPoint** point) override;

  // IConnectionPoint (Unadvise serves IOleObject's too)
  HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* id) override;
  HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer** container) override;
  HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) override;
  HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override;
  HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections**) override { return E_NOTIMPL; }

  // The window procedure of the player's own window class.
  static LRESULT CALLBACK PlayerWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

private:
  ~TTestPlayer();

  struct TPlayerFace {
    const void* const* Table;
    TTestPlayer* Owner;
  };

  long playerVersion_;
  LONG references_ = 1;
  TPlayerFace face_;
  IOleClientSite* site_ = nullptr;
  IDispatch* eventSink_ = nullptr;
  HWND window_ = nullptr;
  SIZEL extent_{2646, 2646};  // 100 pixels at 96 per inch

  friend TTestPlayer* OwnerOf(IUnknown* face);
};

TTestPlayer* OwnerOf(IUnknown* face);

}  // namespace vell::player::test
