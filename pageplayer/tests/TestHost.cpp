#include "TestHost.h"

#include <algorithm>
#include <cstdlib>
#include <stdexcept>

namespace pageplayer::testing {

using namespace vell::player;

namespace {

std::wstring BesideTest(const wchar_t* name) {
  wchar_t path[MAX_PATH];
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path);
  folder.resize(folder.find_last_of(L"\\/") + 1);
  return folder + name;
}

std::wstring StringArgument(const DISPPARAMS* parameters, UINT index) {
  if (!parameters || index >= parameters->cArgs) return L"<missing>";
  const VARIANT& value = parameters->rgvarg[index];
  if (value.vt != VT_BSTR) return L"<not a string>";
  return value.bstrVal ? std::wstring(value.bstrVal, SysStringLen(value.bstrVal)) : std::wstring();
}

long NumberArgument(const DISPPARAMS* parameters) {
  if (!parameters || parameters->cArgs < 1 || parameters->rgvarg[0].vt != VT_I4) return -1000;
  return parameters->rgvarg[0].lVal;
}

}  // namespace

// The container's site: client site, in-place site, and the dispatch that
// answers ambient properties and receives the player's events.
class TSite final : public IOleClientSite, public IOleInPlaceSite, public IDispatch {
public:
  TSite(HWND window) : window_(window) {}
  TRecordedEvents events;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override {
    *object = nullptr;
    if (IsEqualIID(id, IID_IUnknown) || IsEqualIID(id, IID_IOleClientSite)) {
      *object = static_cast<IOleClientSite*>(this);
    } else if (IsEqualIID(id, IID_IOleInPlaceSite) || IsEqualIID(id, IID_IOleWindow)) {
      *object = static_cast<IOleInPlaceSite*>(this);
    } else if (IsEqualIID(id, IID_IDispatch) || IsEqualIID(id, DIID_IMoviePlayerEvents)) {
      *object = static_cast<IDispatch*>(this);
    } else {
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override { return --references_; }

  HRESULT STDMETHODCALLTYPE SaveObject() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker** moniker) override {
    *moniker = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetContainer(IOleContainer** container) override {
    *container = nullptr;
    return E_NOINTERFACE;
  }
  HRESULT STDMETHODCALLTYPE ShowObject() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnShowWindow(BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() override { return E_NOTIMPL; }

  HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override {
    *window = window_;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE CanInPlaceActivate() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnInPlaceActivate() override {
    ++events.inPlaceActivations;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE OnUIActivate() override {
    ++events.uiActivations;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document, LPRECT position,
                                             LPRECT clip, LPOLEINPLACEFRAMEINFO info) override {
    *frame = nullptr;
    *document = nullptr;
    GetClientRect(window_, position);
    *clip = *position;
    info->fMDIApp = FALSE;
    info->hwndFrame = window_;
    info->haccel = nullptr;
    info->cAccelEntries = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Scroll(SIZE) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE OnUIDeactivate(BOOL) override {
    ++events.uiDeactivations;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE OnInPlaceDeactivate() override {
    ++events.inPlaceDeactivations;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE DiscardUndoState() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE DeactivateAndUndo() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE OnPosRectChange(LPCRECT) override { return S_OK; }

  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* parameters, VARIANT* result,
                                   EXCEPINFO*, UINT*) override {
    switch (id) {
      case kDispidReadyStateChange:
        events.readyStates.push_back(NumberArgument(parameters));
        if (events.onEvent) events.onEvent(id, events.readyStates.back(), L"");
        return S_OK;
      case kDispidProgress:
        events.progress.push_back(NumberArgument(parameters));
        return S_OK;
      case kDispidFSCommand:
        events.fsCommands.emplace_back(StringArgument(parameters, 1), StringArgument(parameters, 0));
        return S_OK;
      case kDispidMovieCall:
        events.scriptCalls.push_back(StringArgument(parameters, 0));
        if (events.onEvent) events.onEvent(id, 0, events.scriptCalls.back());
        return S_OK;
      default:
        break;
    }
    if (!(flags & DISPATCH_PROPERTYGET) || !result) return DISP_E_MEMBERNOTFOUND;
    events.ambientQuestions.push_back(id);
    VariantInit(result);
    if (id == DISPID_AMBIENT_BACKCOLOR) {
      result->vt = VT_I4;
      result->lVal = static_cast<long>(kHostBackground);
      return S_OK;
    }
    if (id == DISPID_AMBIENT_USERMODE) {
      result->vt = VT_BOOL;
      result->boolVal = VARIANT_TRUE;
      return S_OK;
    }
    return DISP_E_MEMBERNOTFOUND;
  }

private:
  HWND window_;
  ULONG references_ = 1;
};

TTestHost::TTestHost(int width, int height) {
  OleInitialize(nullptr);
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = DefWindowProcW;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = L"PagePlayerTestHost";
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  RegisterClassW(&windowClass);
  RECT frame{0, 0, width, height};
  AdjustWindowRect(&frame, WS_OVERLAPPEDWINDOW, FALSE);
  window_ = CreateWindowW(L"PagePlayerTestHost", L"Page player test host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                          frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                          GetModuleHandleW(nullptr), nullptr);
  if (!window_) throw std::runtime_error("no host window");
  site_ = new TSite(window_);
}

TTestHost::~TTestHost() {
  DestroyPlayer();
  delete site_;
  DestroyWindow(window_);
  OleUninitialize();
}

void TTestHost::CreatePlayer(bool activate) {
  module_ = LoadLibraryW(BesideTest(L"pageplayer.dll").c_str());
  if (!module_) throw std::runtime_error("pageplayer.dll not found beside the test");
  using TGetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
  auto getClassObject =
      reinterpret_cast<TGetClassObject>(reinterpret_cast<void*>(GetProcAddress(module_, "DllGetClassObject")));
  IClassFactory* factory = nullptr;
  if (!getClassObject || FAILED(getClassObject(CLSID_MoviePlayer, IID_IClassFactory, reinterpret_cast<void**>(&factory)))) {
    throw std::runtime_error("no class factory");
  }
  const HRESULT created = factory->CreateInstance(nullptr, IID_IOleObject, reinterpret_cast<void**>(&object_));
  factory->Release();
  if (FAILED(created)) throw std::runtime_error("no player object");
  object_->QueryInterface(IID_IMoviePlayer, reinterpret_cast<void**>(&player_));
  object_->SetClientSite(site_);
  IConnectionPointContainer* container = nullptr;
  object_->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&container));
  container->FindConnectionPoint(DIID_IMoviePlayerEvents, &events_);
  container->Release();
  events_->Advise(static_cast<IDispatch*>(site_), &eventCookie_);
  if (activate) Activate();
}

void TTestHost::Activate(LONG verb) {
  RECT bounds;
  GetClientRect(window_, &bounds);
  object_->DoVerb(verb, nullptr, site_, 0, window_, &bounds);
}

void TTestHost::DestroyPlayer() {
  if (events_) {
    events_->Unadvise(eventCookie_);
    events_->Release();
    events_ = nullptr;
  }
  if (object_) {
    object_->Close(OLECLOSE_NOSAVE);
    object_->SetClientSite(nullptr);
    player_->Release();
    object_->Release();
    object_ = nullptr;
    player_ = nullptr;
  }
  // The module stays loaded: a test that unloads it does so itself.
}

HWND TTestHost::StageWindow() const {
  HWND stage = nullptr;
  IOleInPlaceObject* inPlace = nullptr;
  if (object_ && SUCCEEDED(object_->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void**>(&inPlace)))) {
    inPlace->GetWindow(&stage);
    inPlace->Release();
  }
  return stage;
}

TRecordedEvents& TTestHost::Events() { return site_->events; }

bool TTestHost::PumpUntil(const std::function<bool()>& done, DWORD milliseconds) {
  const DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > milliseconds) return false;
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    if (!done()) MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  }
  return true;
}

void TTestHost::PumpFor(DWORD milliseconds) {
  PumpUntil([] { return false; }, milliseconds);
}

void TTestHost::PutMovie(const std::wstring& address) {
  Events().readyStates.clear();
  BSTR movie = SysAllocString(address.c_str());
  player_->put_Movie(movie);
  SysFreeString(movie);
}

void TTestHost::PlayMovie(const std::wstring& address) {
  PutMovie(address);
  PumpUntil([&] {
    long state = -1;
    player_->GetReadyState(&state);
    return state == kReadyStateComplete;
  });
  UpdateWindow(StageWindow());
  PumpFor(50);
}

long TTestHost::CurrentFrame() {
  long frame = -1;
  player_->CurrentFrame(&frame);
  return frame;
}

long TTestHost::TotalFrames() {
  long frames = -1;
  player_->GetTotalFrames(&frames);
  return frames;
}

std::wstring TTestHost::CurrentPageVariable() {
  BSTR name = SysAllocString(L"currentPage");
  BSTR value = nullptr;
  const HRESULT result = player_->GetVariable(name, &value);
  SysFreeString(name);
  std::wstring text = FAILED(result) ? L"<failed>" : value ? std::wstring(value) : L"";
  SysFreeString(value);
  return text;
}

std::vector<COLORREF> TTestHost::Capture(int& width, int& height) {
  // Pages are decoded away from the window's thread: a page still on its way
  // is blank paper, which no test page is.
  std::vector<COLORREF> pixels;
  PumpUntil([&] {
    pixels = CaptureNow(width, height);
    return std::count(pixels.begin(), pixels.end(), kWaitingPaper) < 100;
  }, 10000);
  return pixels;
}

std::vector<COLORREF> TTestHost::CaptureNow(int& width, int& height) {
  const HWND stage = StageWindow();
  RedrawWindow(stage, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  RECT client;
  GetClientRect(stage, &client);
  width = client.right;
  height = client.bottom;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  const HDC screen = GetDC(stage);
  const HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  const HDC memory = CreateCompatibleDC(screen);
  const HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY);
  GdiFlush();
  std::vector<COLORREF> pixels(static_cast<std::size_t>(width) * height);
  const auto* raw = static_cast<const std::uint32_t*>(bits);
  for (std::size_t i = 0; i < pixels.size(); ++i) {
    pixels[i] = RGB((raw[i] >> 16) & 0xFF, (raw[i] >> 8) & 0xFF, raw[i] & 0xFF);
  }
  SelectObject(memory, old);
  DeleteDC(memory);
  DeleteObject(bitmap);
  ReleaseDC(stage, screen);
  return pixels;
}

void TTestHost::SaveCapture(const std::wstring& path) {
  int width = 0, height = 0;
  const auto pixels = Capture(width, height);
  const int rowBytes = (width * 3 + 3) & ~3;
  BITMAPFILEHEADER file{};
  BITMAPINFOHEADER header{};
  header.biSize = sizeof header;
  header.biWidth = width;
  header.biHeight = height;
  header.biPlanes = 1;
  header.biBitCount = 24;
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof file + sizeof header;
  file.bfSize = file.bfOffBits + rowBytes * height;
  std::vector<char> image(reinterpret_cast<const char*>(&file), reinterpret_cast<const char*>(&file) + sizeof file);
  image.insert(image.end(), reinterpret_cast<const char*>(&header), reinterpret_cast<const char*>(&header) + sizeof header);
  std::vector<char> row(rowBytes);
  for (int y = height - 1; y >= 0; --y) {
    for (int x = 0; x < width; ++x) {
      const COLORREF c = pixels[static_cast<std::size_t>(y) * width + x];
      row[x * 3] = static_cast<char>(GetBValue(c));
      row[x * 3 + 1] = static_cast<char>(GetGValue(c));
      row[x * 3 + 2] = static_cast<char>(GetRValue(c));
    }
    image.insert(image.end(), row.begin(), row.end());
  }
  WriteWholeFile(path, image.data(), image.size());
}

void WriteWholeFile(const std::wstring& path, const void* data, std::size_t size) {
  const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot write a file");
  DWORD written = 0;
  const BOOL wrote = WriteFile(file, data, static_cast<DWORD>(size), &written, nullptr);
  CloseHandle(file);
  if (!wrote || written != size) throw std::runtime_error("cannot write a file");
}

COLORREF PixelAt(const std::vector<COLORREF>& pixels, int width, int x, int y) {
  return pixels.at(static_cast<std::size_t>(y) * width + x);
}

bool Near(COLORREF a, COLORREF b, int tolerance) {
  return std::abs(GetRValue(a) - GetRValue(b)) <= tolerance && std::abs(GetGValue(a) - GetGValue(b)) <= tolerance &&
         std::abs(GetBValue(a) - GetBValue(b)) <= tolerance;
}

}  // namespace pageplayer::testing
