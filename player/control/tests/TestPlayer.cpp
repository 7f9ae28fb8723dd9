#include "TestPlayer.h"

#include <algorithm>
#include <array>

namespace vell::player::test {

namespace {

constexpr wchar_t kStageClass[] = L"TestPlayerStage";
constexpr int kTableSize = kLastMoviePlayerSlot + 1;

// Outputs get the player's answer, inputs are kept.
void Handle(TTestPlayer* player, int slot, BSTR* out) { player->Answer(slot, out); }
void Handle(TTestPlayer* player, int slot, long* out) { player->Answer(slot, out); }
void Handle(TTestPlayer* player, int slot, VARIANT_BOOL* out) { player->Answer(slot, out); }
void Handle(TTestPlayer* player, int slot, double* out) { player->Answer(slot, out); }
void Handle(TTestPlayer* player, int, BSTR value) { player->Take(value); }
void Handle(TTestPlayer* player, int, long value) { player->Take(value); }
void Handle(TTestPlayer* player, int, VARIANT_BOOL value) { player->Take(value); }
void Handle(TTestPlayer* player, int, double value) { player->Take(value); }

template <int Slot, class Signature>
struct TSlotFunction;

template <int Slot, class... Args>
struct TSlotFunction<Slot, HRESULT(Args...)> {
  static HRESULT STDMETHODCALLTYPE Call(IUnknown* self, Args... args) {
    TTestPlayer* player = OwnerOf(self);
    (Handle(player, Slot, args), ...);
    (void)player;
    return player->CallSlot(Slot);
  }
};

HRESULT STDMETHODCALLTYPE FaceQueryInterface(IUnknown* self, REFIID id, void** object) {
  return OwnerOf(self)->QueryInterface(id, object);
}
ULONG STDMETHODCALLTYPE FaceAddRef(IUnknown* self) { return OwnerOf(self)->AddRef(); }
ULONG STDMETHODCALLTYPE FaceRelease(IUnknown* self) { return OwnerOf(self)->Release(); }
HRESULT STDMETHODCALLTYPE FaceGetTypeInfoCount(IUnknown*, UINT* count) {
  *count = 0;
  return S_OK;
}
HRESULT STDMETHODCALLTYPE FaceGetTypeInfo(IUnknown*, UINT, LCID, ITypeInfo**) { return E_NOTIMPL; }
HRESULT STDMETHODCALLTYPE FaceGetIDsOfNames(IUnknown*, REFIID, LPOLESTR*, UINT, LCID, DISPID*) { return E_NOTIMPL; }
HRESULT STDMETHODCALLTYPE FaceInvoke(IUnknown*, DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) {
  return DISP_E_MEMBERNOTFOUND;
}

template <class F>
const void* Entry(F function) {
  return reinterpret_cast<const void*>(function);
}

// The table of the 9.0.28.0 layout, which players from version 7 on share.
std::array<const void*, kTableSize> CurrentLayout() {
  std::array<const void*, kTableSize> table{};
  table[0] = Entry(&FaceQueryInterface);
  table[1] = Entry(&FaceAddRef);
  table[2] = Entry(&FaceRelease);
  table[3] = Entry(&FaceGetTypeInfoCount);
  table[4] = Entry(&FaceGetTypeInfo);
  table[5] = Entry(&FaceGetIDsOfNames);
  table[6] = Entry(&FaceInvoke);
#define VELL_TEST_SLOT(slot, name, params) table[slot] = Entry(&TSlotFunction<slot, HRESULT params>::Call);
  VELL_MOVIE_PLAYER_SLOTS(VELL_TEST_SLOT)
#undef VELL_TEST_SLOT
  return table;
}

// Versions 4 and 5 keep SWRemote at 73/74, version 5 Stacking at 75/76.
std::array<const void*, kTableSize> LegacyLayout(int major) {
  std::array<const void*, kTableSize> table = CurrentLayout();
  table[73] = Entry(&TSlotFunction<73, HRESULT(BSTR*)>::Call);
  table[74] = Entry(&TSlotFunction<74, HRESULT(BSTR)>::Call);
  if (major == 5) {
    table[75] = Entry(&TSlotFunction<75, HRESULT(BSTR*)>::Call);
    table[76] = Entry(&TSlotFunction<76, HRESULT(BSTR)>::Call);
  }
  return table;
}

const void* const* TableFor(int major) {
  static const auto current = CurrentLayout();
  static const auto version4 = LegacyLayout(4);
  static const auto version5 = LegacyLayout(5);
  if (major == 4) return version4.data();
  if (major == 5) return version5.data();
  return current.data();
}

void RegisterStageClass() {
  static bool registered = false;
  if (registered) return;
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = TTestPlayer::PlayerWindowProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  wc.lpszClassName = kStageClass;
  registered = RegisterClassExW(&wc) != 0;
}

}  // namespace

TTestPlayer* OwnerOf(IUnknown* face) { return reinterpret_cast<TTestPlayer::TPlayerFace*>(face)->Owner; }

TTestPlayer::TTestPlayer(long playerVersion) : playerVersion_(playerVersion), face_{TableFor(Major()), this} {}

TTestPlayer::~TTestPlayer() {
  if (window_) DestroyWindow(window_);
}

int TTestPlayer::Count(UINT message) const {
  return static_cast<int>(std::count(WindowMessages.begin(), WindowMessages.end(), message));
}

HRESULT TTestPlayer::CallSlot(int slot) {
  if (slot != 39) Slots.push_back(slot);
  if (OnSlot) OnSlot(slot);
  return FailingSlots.count(slot) ? E_FAIL : S_OK;
}

HRESULT TTestPlayer::Answer(int slot, BSTR* text) {
  const std::wstring value = slot == 98 ? FullscreenAnswer : L"slot " + std::to_wstring(slot);
  *text = SysAllocStringLen(value.data(), static_cast<UINT>(value.size()));
  return S_OK;
}

HRESULT TTestPlayer::Answer(int slot, long* number) {
  *number = slot == 39 ? playerVersion_ : slot;
  return S_OK;
}

HRESULT TTestPlayer::Answer(int, VARIANT_BOOL* flag) {
  *flag = VARIANT_TRUE;
  return S_OK;
}

HRESULT TTestPlayer::Answer(int slot, double* number) {
  *number = slot + 0.5;
  return S_OK;
}

HRESULT TTestPlayer::QueryInterface(REFIID id, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (IsEqualIID(id, IID_IUnknown) || IsEqualIID(id, IID_IOleObject))
    *object = static_cast<IOleObject*>(this);
  else if (IsEqualIID(id, IID_IOleInPlaceObject) || IsEqualIID(id, IID_IOleWindow))
    *object = static_cast<IOleInPlaceObject*>(this);
  else if (IsEqualIID(id, IID_IOleInPlaceActiveObject))
    *object = static_cast<IOleInPlaceActiveObject*>(this);
  else if (IsEqualIID(id, IID_IOleControl))
    *object = static_cast<IOleControl*>(this);
  else if (IsEqualIID(id, IID_IConnectionPointContainer))
    *object = static_cast<IConnectionPointContainer*>(this);
  else if (IsEqualIID(id, IID_IDispatch) || IsEqualIID(id, IID_IMoviePlayer))
    *object = &face_;
  else
    return E_NOINTERFACE;
  AddRef();
  return S_OK;
}

ULONG TTestPlayer::AddRef() { return static_cast<ULONG>(++references_); }

ULONG TTestPlayer::Release() {
  const LONG left = --references_;
  if (left == 1) Log.push_back("Release to 1");
  if (left == 0) delete this;
  return static_cast<ULONG>(left);
}

HRESULT TTestPlayer::SetClientSite(IOleClientSite* site) {
  Log.push_back(site ? "SetClientSite" : "SetClientSite(null)");
  if (site) site->AddRef();
  if (site_) site_->Release();
  site_ = site;
  return S_OK;
}

HRESULT TTestPlayer::GetClientSite(IOleClientSite** site) {
  *site = site_;
  if (site_) site_->AddRef();
  return S_OK;
}

HRESULT TTestPlayer::Close(DWORD) {
  Log.push_back("Close");
  if (window_) {
    DestroyWindow(window_);
    window_ = nullptr;
    IOleInPlaceSite* inPlace = nullptr;
    if (site_ && SUCCEEDED(site_->QueryInterface(IID_IOleInPlaceSite, reinterpret_cast<void**>(&inPlace)))) {
      inPlace->OnInPlaceDeactivate();
      inPlace->Release();
    }
  }
  return S_OK;
}

HRESULT TTestPlayer::DoVerb(LONG verb, LPMSG, IOleClientSite* site, LONG, HWND parent, LPCRECT bounds) {
  Log.push_back("DoVerb(" + std::to_string(verb) + ")");
  if (verb != OLEIVERB_INPLACEACTIVATE && verb != OLEIVERB_UIACTIVATE) return E_NOTIMPL;
  IOleInPlaceSite* inPlace = nullptr;
  if (!site || FAILED(site->QueryInterface(IID_IOleInPlaceSite, reinterpret_cast<void**>(&inPlace)))) return E_FAIL;
  if (!window_) {
    RegisterStageClass();
    window_ = CreateWindowExW(0, kStageClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, bounds->left, bounds->top,
                              bounds->right - bounds->left, bounds->bottom - bounds->top, parent, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
    SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    inPlace->OnInPlaceActivate();
  } else {
    MoveWindow(window_, bounds->left, bounds->top, bounds->right - bounds->left, bounds->bottom - bounds->top, TRUE);
  }
  if (verb == OLEIVERB_UIACTIVATE) inPlace->OnUIActivate();
  inPlace->Release();
  return S_OK;
}

HRESULT TTestPlayer::GetUserClassID(CLSID* id) {
  *id = CLSID_MoviePlayer;
  return S_OK;
}

HRESULT TTestPlayer::SetExtent(DWORD, SIZEL* size) {
  if (RefuseExtent) return E_FAIL;
  extent_ = *size;
  return S_OK;
}

HRESULT TTestPlayer::GetExtent(DWORD, SIZEL* size) {
  *size = extent_;
  return S_OK;
}

HRESULT TTestPlayer::GetWindow(HWND* window) {
  *window = window_;
  return window_ ? S_OK : E_FAIL;
}

HRESULT TTestPlayer::TranslateAccelerator(LPMSG message) {
  if (message->message != WM_KEYDOWN || !AcceleratorKeys.count(message->wParam)) return S_FALSE;
  Log.push_back("TranslateAccelerator");
  return S_OK;
}

HRESULT TTestPlayer::UIDeactivate() {
  Log.push_back("UIDeactivate");
  return S_OK;
}

HRESULT TTestPlayer::GetControlInfo(CONTROLINFO* info) {
  info->hAccel = Mnemonics;
  info->cAccel = static_cast<USHORT>(MnemonicCount);
  info->dwFlags = 0;
  return S_OK;
}

HRESULT TTestPlayer::OnMnemonic(MSG* message) {
  Log.push_back("OnMnemonic(" + std::to_string(message->wParam) + ")");
  return S_OK;
}

HRESULT TTestPlayer::OnAmbientPropertyChange(DISPID dispid) {
  Log.push_back("OnAmbientPropertyChange(" + std::to_string(dispid) + ")");
  return S_OK;
}

HRESULT TTestPlayer::FindConnectionPoint(REFIID id, IConnectionPoint** point) {
  *point = nullptr;
  if (!IsEqualIID(id, DIID_IMoviePlayerEvents)) return CONNECT_E_NOCONNECTION;
  *point = this;
  AddRef();
  return S_OK;
}

HRESULT TTestPlayer::GetConnectionInterface(IID* id) {
  *id = DIID_IMoviePlayerEvents;
  return S_OK;
}

HRESULT TTestPlayer::GetConnectionPointContainer(IConnectionPointContainer** container) {
  *container = this;
  AddRef();
  return S_OK;
}

HRESULT TTestPlayer::Advise(IUnknown* sink, DWORD* cookie) {
  Log.push_back("Advise");
  if (eventSink_) return CONNECT_E_ADVISELIMIT;
  if (FAILED(sink->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&eventSink_)))) return E_NOINTERFACE;
  *cookie = 7;
  return S_OK;
}

HRESULT TTestPlayer::Unadvise(DWORD cookie) {
  Log.push_back("Unadvise");
  if (cookie != 7 || !eventSink_) return CONNECT_E_NOCONNECTION;
  eventSink_->Release();
  eventSink_ = nullptr;
  return S_OK;
}

LRESULT CALLBACK TTestPlayer::PlayerWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (auto* player = reinterpret_cast<TTestPlayer*>(GetWindowLongPtrW(window, GWLP_USERDATA)))
    player->WindowMessages.push_back(message);
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace vell::player::test
