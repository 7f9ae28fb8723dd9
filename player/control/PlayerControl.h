// The player host control: a windowed control of the toolkit that embeds one
// movie player object in place, is its OLE container, mirrors its interface as
// cached, version-gated properties and methods, and raises its events.
#pragma once
#include <windows.h>
#include <ocidl.h>
#include <oleidl.h>

#include <functional>
#include <memory>
#include <span>
#include <string>

#include "player/content/PlayerControlBase.h"
#include "player/contract/PlayerContract.h"
#include "ComRef.h"
#include "player/control/PlayerSite.h"
#include "ui/WinControl.h"

class TStream;

namespace ui {
class TMainMenu;
}

namespace vell::player {

using TPlayerControlOnReadyStateChange = std::function<void(ui::TObject* ASender, int newState)>;
using TPlayerControlOnProgress = std::function<void(ui::TObject* ASender, int percentDone)>;
using TPlayerControlFSCommand =
    std::function<void(ui::TObject* ASender, const std::wstring& command, const std::wstring& args)>;
using TPlayerControlMovieCall = std::function<void(ui::TObject* ASender, const std::wstring& request)>;
using TPlayerControlOnLoadExternalResource =
    std::function<void(ui::TObject* ASender, const std::wstring& URL, TStream* Stream)>;
using TPlayerControlOnLoadExternalResourceEx =
    std::function<void(ui::TObject* ASender, const std::wstring& URL, TStream* Stream, bool& bHandled)>;
using TPlayerControlOnLoadExternalResourceAsync =
    std::function<void(ui::TObject* ASender, const std::wstring& Path, TStream*& Stream)>;
using TPlayerControlOnUnloadExternalResourceAsync = std::function<void(ui::TObject* ASender, TStream* Stream)>;

// Versions of the player (its major number, capped at 8) for which a slot is
// called, and the slots of that layout.
struct TSlotGroup {
  unsigned Versions;
  int GetSlot;
  int SetSlot;
};

class TPlayerControl : public ui::TWinControl {
public:
  explicit TPlayerControl(ui::TComponent* owner);
  ~TPlayerControl() override;

  // The player object, empty when it could not be created.
  IOleObject* OleObject() const { return OleObject_.Get(); }
  bool EventsConnected() const { return EventsConnected_; }
  // The client site the player holds; it outlives the control when the
  // player keeps it, and then answers RPC_E_DISCONNECTED.
  TPlayerSite* ClientSite() const { return Site_.Get(); }

  // Toolkit.
  void SetParent(ui::TWinControl* parent) override;
  void SetBounds(int left, int top, int width, int height) override;
  LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;

  // Published properties; reads and writes never raise.
  std::wstring Movie();
  void SetMovie(const std::wstring& value);
  int FrameNum();
  void SetFrameNum(int value);
  bool Playing();
  void SetPlaying(bool value);
  int Quality();
  void SetQuality(int value);
  int ScaleMode();
  void SetScaleMode(int value);
  int AlignMode();
  void SetAlignMode(int value);
  int BackgroundColor();
  void SetBackgroundColor(int value);
  bool Loop();
  void SetLoop(bool value);
  std::wstring WMode();
  void SetWMode(const std::wstring& value);
  std::wstring SAlign();
  void SetSAlign(const std::wstring& value);
  bool Menu();
  void SetMenu(bool value);
  std::wstring Base();
  void SetBase(const std::wstring& value);
  std::wstring Scale();
  void SetScale(const std::wstring& value);
  bool DeviceFont();
  void SetDeviceFont(bool value);
  bool EmbedMovie();
  void SetEmbedMovie(bool value);
  std::wstring BGColor();
  void SetBGColor(const std::wstring& value);
  std::wstring Quality2();
  void SetQuality2(const std::wstring& value);
  std::wstring SWRemote();
  void SetSWRemote(const std::wstring& value);
  std::wstring Stacking();
  void SetStacking(const std::wstring& value);
  std::wstring MovieVars();
  void SetMovieVars(const std::wstring& value);
  std::wstring AllowScriptAccess();
  void SetAllowScriptAccess(const std::wstring& value);
  std::wstring MovieData();
  void SetMovieData(const std::wstring& value);
  bool AllowFullscreen();
  void SetAllowFullscreen(bool value);
  bool StandartMenu() const { return StandartMenu_; }
  void SetStandartMenu(bool value) { StandartMenu_ = value; }

  // Player methods: called when the player's version allows, else the
  // default; a failure code of the player raises EOleSysError.
  void SetZoomRect(int left, int top, int right, int bottom);
  void Zoom(int factor);
  void Pan(int x, int y, int mode);
  void Play();
  void Stop();
  void Back();
  void Forward();
  void Rewind();
  void StopPlay();
  void GotoFrame(int frame);
  int CurrentFrame();
  bool IsPlaying();
  int PercentLoaded();
  bool FrameLoaded(int frame);
  int PlayerVersion();
  // Never raises.
  void LoadMovie(int layer, const std::wstring& url);
  void TGotoFrame(const std::wstring& target, int frame);
  void TGotoLabel(const std::wstring& target, const std::wstring& label);
  int TCurrentFrame(const std::wstring& target);
  std::wstring TCurrentLabel(const std::wstring& target);
  void TPlay(const std::wstring& target);
  void TStopPlay(const std::wstring& target);
  void SetVariable(const std::wstring& name, const std::wstring& value);
  std::wstring GetVariable(const std::wstring& name);
  void TSetProperty(const std::wstring& target, int property, const std::wstring& value);
  std::wstring TGetProperty(const std::wstring& target, int property);
  void TCallFrame(const std::wstring& target, int frame);
  void TCallLabel(const std::wstring& target, const std::wstring& label);
  void TSetPropertyNum(const std::wstring& target, int property, double value);
  double TGetPropertyNum(const std::wstring& target, int property);
  double TGetPropertyAsNumber(const std::wstring& target, int property);
  std::wstring CallFunction(const std::wstring& request);
  void SetReturnValue(const std::wstring& value);
  int GetReadyState();
  int GetTotalFrames();

  // -1 without a player object; else the player's major version, capped at 8.
  int PlayerMajorVersion();

  // Movies that exist only in memory: the content manager files the bytes
  // under a made-up address and points the player at it. The From methods
  // read the whole of `stream` during the call, whatever its position; the
  // Open methods hand back a stream to write the movie into, from any
  // thread, which ends the movie when freed.
  void LoadLayerFromStream(int layer, TStream& stream);
  void SetMovieFromStream(TStream& stream);
  std::unique_ptr<TStream> OpenLayerStream(int layer);
  std::unique_ptr<TStream> OpenMovieStream();

  // Published events.
  TPlayerControlOnReadyStateChange OnReadyStateChange;
  TPlayerControlOnProgress OnProgress;
  TPlayerControlFSCommand OnFSCommand;
  TPlayerControlMovieCall OnMovieCall;
  TPlayerControlOnLoadExternalResource OnLoadExternalResource;
  TPlayerControlOnLoadExternalResourceEx OnLoadExternalResourceEx;
  TPlayerControlOnLoadExternalResourceAsync OnLoadExternalResourceAsync;
  TPlayerControlOnUnloadExternalResourceAsync OnUnloadExternalResourceAsync;

protected:
  // Window creation and release by the toolkit.
  void CreateHandle() override;
  void DestroyWindowHandle() override;
  LRESULT DefaultHandler(UINT message, WPARAM wParam, LPARAM lParam) override;
  bool PaletteChanged(bool foreground) override;
  bool OwnerPainted() const override { return false; }

private:
  friend class TPlayerSite;

  // What the player asks through its site (TPlayerSite answers the rest).
  HRESULT Invoke(DISPID dispid, REFIID interfaceId, LCID locale, WORD flags, DISPPARAMS* parameters, VARIANT* result,
                 EXCEPINFO* exception, UINT* argumentError);
  HRESULT PutMovie(LPCWSTR url);
  HRESULT LoadMovieForManager(long layer, LPCWSTR url);
  HRESULT GetBase(BSTR* base);
  HRESULT CallLoadExternalResource(LPCWSTR url, TStream* stream);
  HRESULT CallLoadExternalResourceEx(LPCWSTR url, TStream* stream, bool* handled);
  HRESULT CallLoadExternalResourceAsync(LPCWSTR path, TStream** stream);
  HRESULT CallUnloadExternalResourceAsync(TStream* stream);
  HRESULT GetFrameWindow(HWND* window);
  HRESULT InsertMenus(HMENU shared, LPOLEMENUGROUPWIDTHS widths);
  HRESULT SetMenu(HMENU shared, HOLEMENU oleMenu, HWND activeObject);
  HRESULT GetSiteWindow(HWND* window);
  HRESULT OnInPlaceActivate();
  HRESULT OnUIActivate();
  // The frame itself is the site's to hand out.
  HRESULT GetWindowContext(LPRECT position, LPRECT clip, LPOLEINPLACEFRAMEINFO frameInfo);
  HRESULT OnUIDeactivate(BOOL undoable);
  HRESULT OnInPlaceDeactivate();
  HRESULT DeactivateAndUndo();
  HRESULT OnPosRectChange(LPCRECT position);
  HRESULT ShowObject();
  HRESULT RequestNewObjectLayout();

  IUnknown* Identity() { return Site_->Identity(); }
  IOleClientSite* Site() { return Site_.Get(); }
  IPlayerControlBase* ManagerLink() { return Site_.Get(); }
  void CreateControl();
  void DestroyControl();
  void EnsureClientSite();
  void HookControlWindow();
  void ConnectEvents();
  void SetUIActive(bool active);
  ui::TMainMenu* GetMainMenu();
  RECT BoundsRectangle() const;

  // Window messages with a handler of their own.
  void PaintWithoutObject(HDC given);
  LRESULT MouseMessage(UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT DialogKey(WPARAM wParam, LPARAM lParam);
  void UIActivate();
  void UIDeactivate();
  void DocWindowActivate(WPARAM active);

  // Player calls.
  TComRef<IMoviePlayer_9_0_28_0> PlayerInterface();
  bool PlayerAllows(unsigned versions);
  std::wstring ReadString(const std::wstring& cache, std::span<const TSlotGroup> groups);
  void WriteString(std::wstring& cache, std::span<const TSlotGroup> groups, const std::wstring& value);
  int ReadInteger(int cache, std::span<const TSlotGroup> groups);
  void WriteInteger(int& cache, std::span<const TSlotGroup> groups, int value);
  bool ReadBoolean(bool cache, std::span<const TSlotGroup> groups);
  void WriteBoolean(bool& cache, std::span<const TSlotGroup> groups, bool value);
  const TSlotGroup* GroupForPlayer(std::span<const TSlotGroup> groups);

  // Events.
  HRESULT AnswerAmbientProperty(DISPID dispid, VARIANT* result);
  void RaiseMovieCall(const std::wstring& request);

  // The site may outlive the control; the destructor cuts it loose last.
  TComRef<TPlayerSite> Site_;
  TComRef<IOleObject> OleObject_;
  TComRef<IOleControl> OleControl_;
  TComRef<IDispatch> ControlDispatch_;
  TComRef<IPerPropertyBrowsing> PropertyBrowsing_;
  TComRef<IOleInPlaceObject> InPlaceObject_;
  TComRef<IOleInPlaceActiveObject> InPlaceActiveObject_;
  DWORD PropertyConnection_ = 0;
  TComRef<IConnectionPoint> EventConnectionPoint_;
  bool EventsConnected_ = false;
  DWORD EventCookie_ = 0;
  WNDPROC DefWndProc_ = nullptr;
  bool StandartMenu_ = false;

  // Property caches: nothing but the setters writes them.
  struct {
    std::wstring Movie, WMode, SAlign, Base, Scale, BGColor, Quality2, SWRemote, Stacking, MovieVars,
        AllowScriptAccess, MovieData;
    int FrameNum = 0, Quality = 0, ScaleMode = 0, AlignMode = 0, BackgroundColor = 0, ReadyState = 0,
        TotalFrames = 0;
    bool Playing = false, Loop = false, Menu = false, DeviceFont = false, EmbedMovie = false,
         AllowFullscreen = false;
  } Cache_;
};

}  // namespace vell::player
