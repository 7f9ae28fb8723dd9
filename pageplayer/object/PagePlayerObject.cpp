#include "object/PagePlayerObject.h"

#include <new>

#include "object/DispatchCalls.h"

namespace pageplayer {

using namespace vell::player;

namespace {

// 550 × 400 pixels at 96 pixels per inch, in HIMETRIC.
constexpr SIZEL kDefaultExtent{14552, 10583};

}  // namespace

TPagePlayerObject* TPagePlayerObject::Create() {
  auto* object = new (std::nothrow) TPagePlayerObject();
  if (object && !object->notifyWindow_) {
    object->Release();
    return nullptr;
  }
  return object;
}

TPagePlayerObject::TPagePlayerObject()
    : extent_(kDefaultExtent),
      events_(*this, DIID_IMoviePlayerEvents, IID_IDispatch),
      propertyNotify_(*this, IID_IPropertyNotifySink, IID_IPropertyNotifySink),
      stage_(*this) {
  notifyWindow_ = CreateNotifyWindow(*this);
  book_.emplace(static_cast<IBookPlayerEvents&>(*this), notifyWindow_);
}

TPagePlayerObject::~TPagePlayerObject() {
  // The stage asks the book while it goes; downloads still running post to
  // the notify window, so they stop before it goes.
  stage_.Destroy();
  book_.reset();
  if (!notifyWindow_) return;
  // Notices still queued each hold a download.
  MSG pending;
  while (PeekMessageW(&pending, notifyWindow_, TBookPlayer::kDownloadMessage, TBookPlayer::kDownloadMessage, PM_REMOVE)) {
    reinterpret_cast<IUnknown*>(pending.lParam)->Release();
  }
  DestroyWindow(notifyWindow_);
}

HRESULT STDMETHODCALLTYPE TPagePlayerObject::QueryInterface(REFIID id, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (IsEqualIID(id, IID_IUnknown) || IsEqualIID(id, IID_IOleObject)) return Hand(static_cast<IOleObject*>(this), object);
  if (IsEqualIID(id, IID_IOleWindow) || IsEqualIID(id, IID_IOleInPlaceObject)) {
    return Hand(static_cast<IOleInPlaceObject*>(this), object);
  }
  if (IsEqualIID(id, IID_IOleInPlaceActiveObject)) return Hand(static_cast<IOleInPlaceActiveObject*>(this), object);
  if (IsEqualIID(id, IID_IOleControl)) return Hand(static_cast<IOleControl*>(this), object);
  if (IsEqualIID(id, IID_IConnectionPointContainer)) return Hand(static_cast<IConnectionPointContainer*>(this), object);
  if (IsEqualIID(id, IID_IDispatch) || IsEqualIID(id, IID_IMoviePlayer)) {
    return Hand(static_cast<IMoviePlayer_9_0_28_0*>(this), object);
  }
  return E_NOINTERFACE;
}

// IOleObject

HRESULT STDMETHODCALLTYPE TPagePlayerObject::SetClientSite(IOleClientSite* site) {
  site_ = TComPtr<IOleClientSite>::Share(site);
  if (!site) inPlaceSite_.Reset();
  ReadAmbientProperties();
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TPagePlayerObject::GetClientSite(IOleClientSite** site) {
  if (!site) return E_POINTER;
  *site = site_.Get();
  if (*site) (*site)->AddRef();
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TPagePlayerObject::SetHostNames(LPCOLESTR, LPCOLESTR) { return S_OK; }

HRESULT STDMETHODCALLTYPE TPagePlayerObject::Close(DWORD) {
  DeactivateInPlace();
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TPagePlayerObject::SetMoniker(DWORD, IMoniker*) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE TPagePlayerObject::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
  if (moniker) *moniker = nullptr;
  return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE TPagePlayerObject::InitFromData(IDataObject*, BOOL, DWORD) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE TPagePlayerObject::GetClipboardData(DWORD, IDataObject** data) {
  if (data) *data = nullptr;
  return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE TPagePlayerObject::EnumVerbs(IEnumOLEVERB** verbs) {
  if (verbs) *verbs = nullptr;
  return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE TPagePlayerObject::Update() { return S_OK; }
HRESULT STDMETHODCALLTYPE TPagePlayerObject::IsUpToDate() { return S_OK; }

HRESULT STDMETHODCALLTYPE TPagePlayerObject::GetUserClassID(CLSID* classId) {
  if (!classId) return E_POINTER;
  *classId = CLSID_MoviePlayer;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TPagePlayerObject::GetUserType(DWORD, LPOLESTR* userType) {
  if (userType) *userType = nullptr;
  return OLE_S_USEREG;
}

HRESULT STDMETHODCALLTYPE TPagePlayerObject::SetExtent(DWORD aspect, SIZEL* size) {
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  if (!size) return E_POINTER;
  if (size->cx < 0 || size->cy < 0) return E_INVALIDARG;
  extent_ = *size;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TPagePlayerObject::GetExtent(DWORD aspect, SIZEL* size) {
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  if (!size) return E_POINTER;
  *size = extent_;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TPagePlayerObject::Advise(IAdviseSink*, DWORD* connection) {
  if (connection) *connection = 0;
  return OLE_E_ADVISENOTSUPPORTED;
}

HRESULT STDMETHODCALLTYPE TPagePlayerObject::Unadvise(DWORD) { return OLE_E_NOCONNECTION; }

HRESULT STDMETHODCALLTYPE TPagePlayerObject::EnumAdvise(IEnumSTATDATA** advises) {
  if (advises) *advises = nullptr;
  return OLE_E_ADVISENOTSUPPORTED;
}

HRESULT STDMETHODCALLTYPE TPagePlayerObject::GetMiscStatus(DWORD, DWORD* status) {
  if (!status) return E_POINTER;
  *status = OLEMISC_RECOMPOSEONRESIZE | OLEMISC_CANTLINKINSIDE | OLEMISC_INSIDEOUT | OLEMISC_ACTIVATEWHENVISIBLE |
            OLEMISC_SETCLIENTSITEFIRST;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TPagePlayerObject::SetColorScheme(LOGPALETTE*) { return E_NOTIMPL; }

// IOleControl

HRESULT STDMETHODCALLTYPE TPagePlayerObject::GetControlInfo(CONTROLINFO* info) {
  if (!info) return E_POINTER;
  // No mnemonics: its keys arrive as ordinary key messages.
  info->hAccel = nullptr;
  info->cAccel = 0;
  info->dwFlags = 0;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TPagePlayerObject::OnMnemonic(MSG*) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE TPagePlayerObject::OnAmbientPropertyChange(DISPID) {
  ReadAmbientProperties();
  stage_.Invalidate();
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TPagePlayerObject::FreezeEvents(BOOL freeze) {
  frozenEvents_ += freeze ? 1 : (frozenEvents_ > 0 ? -1 : 0);
  return S_OK;
}

void TPagePlayerObject::ReadAmbientProperties() {
  if (!site_) return;
  if (auto colour = ReadAmbient(site_.Get(), DISPID_AMBIENT_BACKCOLOR);
      colour && SUCCEEDED(VariantChangeType(colour->Get(), colour->Get(), 0, VT_I4))) {
    COLORREF translated = 0;
    if (SUCCEEDED(OleTranslateColor(static_cast<OLE_COLOR>(colour->Value().lVal), nullptr, &translated))) {
      ambientBackground_ = translated;
    }
  }
  if (auto userMode = ReadAmbient(site_.Get(), DISPID_AMBIENT_USERMODE);
      userMode && SUCCEEDED(VariantChangeType(userMode->Get(), userMode->Get(), 0, VT_BOOL))) {
    userMode_ = userMode->Value().boolVal != VARIANT_FALSE;
  }
}

COLORREF TPagePlayerObject::Background() const {
  return properties_.backgroundColor >= 0 ? static_cast<COLORREF>(properties_.backgroundColor) : ambientBackground_;
}

// What the stage asks

bool TPagePlayerObject::Turn(TTurn turn) {
  FollowStageShape();
  TBookNavigator& navigator = book_->Navigator();
  switch (turn) {
    case TTurn::Forward:
      return navigator.Forward();
    case TTurn::Back:
      return navigator.Back();
    case TTurn::First:
      return navigator.First();
    case TTurn::Last:
      return navigator.Last();
  }
  return false;
}

void TPagePlayerObject::GoToPage(int page) {
  if (book_->Navigator().GoTo(page)) stage_.Invalidate();
}

}  // namespace pageplayer
