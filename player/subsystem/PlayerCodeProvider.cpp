#include "player/subsystem/PlayerCodeProvider.h"

#include <string>
#include <vector>

#include "Win32Handles.h"
#include "player/contract/PlayerContract.h"
#include "player/loader/ModuleResources.h"

namespace vell::player {

namespace {

TPlayerCodeProviderBasedOnStream* processWideProvider = nullptr;

constexpr DWORD kPathBufferSize = 261;

std::vector<std::byte> ReadWholeFile(HANDLE file) {
  std::vector<std::byte> bytes;
  std::byte chunk[64 * 1024];
  DWORD read = 0;
  while (::ReadFile(file, chunk, sizeof chunk, &read, nullptr) && read > 0) bytes.insert(bytes.end(), chunk, chunk + read);
  return bytes;
}

}  // namespace

TPlayerCodeProviderBasedOnStream::TPlayerCodeProviderBasedOnStream(std::optional<std::span<const std::byte>> stream) {
  processWideProvider = this;
  if (stream) LoadFromStream(*stream);
}

TPlayerCodeProviderBasedOnStream::~TPlayerCodeProviderBasedOnStream() {
  // The loader then detaches and unmaps the module; it swallows a fault of
  // the module on its way out itself.
  if (processWideProvider == this) processWideProvider = nullptr;
}

void TPlayerCodeProviderBasedOnStream::LoadFromStream(std::span<const std::byte> stream) noexcept {
  try {
    loader_ = std::make_unique<TPlayerModuleLoader>();
    loader_->LoadModule(stream);
    getClassObject_ = reinterpret_cast<TDllGetClassObject>(loader_->FindExport("DllGetClassObject"));
    version_ = GetModuleProductVersion(reinterpret_cast<HINSTANCE>(loader_->ModuleBase()));
  } catch (...) {
    // The provider goes on without whatever the failed step would have set.
  }
}

HRESULT TPlayerCodeProviderBasedOnStream::CreatePlayerObject(REFIID interfaceId, void** object) {
  if (!getClassObject_) return E_FAIL;
  IClassFactory* factory = nullptr;
  if (getClassObject_(CLSID_MoviePlayer, IID_IClassFactory, reinterpret_cast<void**>(&factory)) != S_OK || !factory) {
    return E_FAIL;
  }
  const HRESULT created = factory->CreateInstance(nullptr, interfaceId, object);
  factory->Release();
  return created;
}

TPlayerCodeProviderBasedOnInstalledModule::TPlayerCodeProviderBasedOnInstalledModule()
    : TPlayerCodeProviderBasedOnStream(std::nullopt) {
  HKEY opened = nullptr;
  const std::string server = std::string(kMoviePlayerClassKey) + "\\InprocServer32";
  if (RegOpenKeyExA(HKEY_CLASSES_ROOT, server.c_str(), 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS) return;
  const TRegistryKey key(opened);
  char path[kPathBufferSize] = {};
  DWORD size = kPathBufferSize - 1;  // keeps the terminator even for an unterminated value
  if (RegQueryValueExA(key.get(), nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(path), &size) != ERROR_SUCCESS) return;
  const TFileHandle file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  if (file.get() == INVALID_HANDLE_VALUE) return;
  LoadFromStream(ReadWholeFile(file.get()));
}

TPlayerCodeProviderBasedOnStream& InstallStreamProvider(std::optional<std::span<const std::byte>> stream) {
  FreePlayerCodeProvider();
  return *new TPlayerCodeProviderBasedOnStream(stream);
}

TPlayerCodeProviderBasedOnInstalledModule& InstallInstalledModuleProvider() {
  FreePlayerCodeProvider();
  return *new TPlayerCodeProviderBasedOnInstalledModule();
}

void FreePlayerCodeProvider() noexcept { delete processWideProvider; }

TPlayerCodeProviderBasedOnStream* PlayerCodeProvider() { return processWideProvider; }

}  // namespace vell::player
