#include "PagePlayerModule.h"

#include <atomic>
#include <new>

#include "PlayerClassFactory.h"
#include "player/contract/PlayerContract.h"
#include "fetch/FileRead.h"
#include "stage/StageWindowClass.h"

namespace pageplayer {

namespace {
HINSTANCE moduleInstance = nullptr;
std::atomic<long> moduleReferences{0};
}  // namespace

HINSTANCE ModuleInstance() { return moduleInstance; }
void AddModuleReference() { ++moduleReferences; }
void ReleaseModuleReference() { --moduleReferences; }

}  // namespace pageplayer

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  switch (reason) {
    case DLL_PROCESS_ATTACH:
      pageplayer::moduleInstance = instance;
      pageplayer::LookUpFileFunctions();
      break;
    case DLL_PROCESS_DETACH:
      // The class procedure lives in this module's code: no class may outlive
      // it. At process end nothing runs any more that could use it.
      if (!reserved) pageplayer::UnregisterStageWindowClass();
      break;
    default:
      break;
  }
  return TRUE;
}

STDAPI DllGetClassObject(REFCLSID classId, REFIID interfaceId, LPVOID* object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (!IsEqualCLSID(classId, vell::player::CLSID_MoviePlayer)) return CLASS_E_CLASSNOTAVAILABLE;
  auto* factory = new (std::nothrow) pageplayer::TPlayerClassFactory();
  if (!factory) return E_OUTOFMEMORY;
  const HRESULT result = factory->QueryInterface(interfaceId, object);
  factory->Release();
  return result;
}

STDAPI DllCanUnloadNow() {
  if (pageplayer::moduleReferences != 0) return S_FALSE;
  // The module may go at any moment now: its window class goes first.
  pageplayer::UnregisterStageWindowClass();
  return S_OK;
}
