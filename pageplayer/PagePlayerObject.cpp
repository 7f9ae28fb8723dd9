#include "pageplayer/PagePlayerObject.h"

#include "pageplayer/PagePlayerModule.h"
#include "pageplayer/PlayerIds.h"
#include "pageplayer/resources/PagePlayerResources.h"

namespace pageplayer {

namespace {
LRESULT CALLBACK StageWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(window, message, wParam, lParam);
}
}  // namespace

bool RegisterPlayerWindowClass() {
  static const bool registered = [] {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = StageWindowProc;
    windowClass.hInstance = ModuleInstance();
    windowClass.hCursor = LoadCursorA(ModuleInstance(), MAKEINTRESOURCEA(IDC_PAGEPLAYER_HAND));
    windowClass.lpszClassName = kPlayerWindowClass;
    return RegisterClassExW(&windowClass) != 0;
  }();
  return registered;
}

TPagePlayerObject::TPagePlayerObject() { AddModuleReference(); }
TPagePlayerObject::~TPagePlayerObject() { ReleaseModuleReference(); }

HRESULT STDMETHODCALLTYPE TPagePlayerObject::QueryInterface(REFIID interfaceId, void** object) {
  if (!object) return E_POINTER;
  if (IsEqualIID(interfaceId, IID_IUnknown)) {
    *object = static_cast<IUnknown*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE TPagePlayerObject::AddRef() { return ++references_; }

ULONG STDMETHODCALLTYPE TPagePlayerObject::Release() {
  const ULONG left = --references_;
  if (left == 0) delete this;
  return left;
}

}  // namespace pageplayer
