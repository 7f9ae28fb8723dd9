#include "pageplayer/PagePlayerModule.h"

#include <atomic>

#include "pageplayer/PlayerClassFactory.h"
#include "pageplayer/PlayerIds.h"

namespace pageplayer {

namespace {
HINSTANCE moduleInstance = nullptr;
std::atomic<long> moduleReferences{0};
}  // namespace

HINSTANCE ModuleInstance() { return moduleInstance; }
void AddModuleReference() { ++moduleReferences; }
void ReleaseModuleReference() { --moduleReferences; }

}  // namespace pageplayer

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) pageplayer::moduleInstance = instance;
  return TRUE;
}

STDAPI DllGetClassObject(REFCLSID classId, REFIID interfaceId, LPVOID* object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (!IsEqualCLSID(classId, pageplayer::CLSID_PagePlayer)) return CLASS_E_CLASSNOTAVAILABLE;
  auto* factory = new (std::nothrow) pageplayer::TPlayerClassFactory();
  if (!factory) return E_OUTOFMEMORY;
  const HRESULT result = factory->QueryInterface(interfaceId, object);
  factory->Release();
  return result;
}

STDAPI DllCanUnloadNow() { return pageplayer::moduleReferences == 0 ? S_OK : S_FALSE; }
