#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>

#include "player/hooks/PlayerModuleLoader.h"

namespace vell::player {

// Holds the player module mapped from memory and creates player objects
// through the module's own class factory. Exactly one provider is the
// process-wide one; making a provider makes it that one, and the process-wide
// slot owns it from then on (see the Install* functions below).
class TPlayerCodeProviderBasedOnStream {
public:
  virtual ~TPlayerCodeProviderBasedOnStream();
  TPlayerCodeProviderBasedOnStream(const TPlayerCodeProviderBasedOnStream&) = delete;
  TPlayerCodeProviderBasedOnStream& operator=(const TPlayerCodeProviderBasedOnStream&) = delete;

  // E_FAIL without a module or class factory; otherwise what the factory's
  // CreateInstance answered.
  HRESULT CreatePlayerObject(REFIID interfaceId, void** object);
  std::uint32_t GetVersion() const { return version_; }
  TPlayerModuleLoader* Loader() const { return loader_.get(); }

protected:
  // Becomes the process-wide provider; maps `stream` when one is given.
  explicit TPlayerCodeProviderBasedOnStream(std::optional<std::span<const std::byte>> stream);
  void LoadFromStream(std::span<const std::byte> stream) noexcept;

private:
  friend TPlayerCodeProviderBasedOnStream& InstallStreamProvider(std::optional<std::span<const std::byte>>);

  using TDllGetClassObject = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);
  TDllGetClassObject getClassObject_ = nullptr;
  std::uint32_t version_ = 0;
  std::unique_ptr<TPlayerModuleLoader> loader_;
};

// The player installed on the system, found through the registry.
class TPlayerCodeProviderBasedOnInstalledModule : public TPlayerCodeProviderBasedOnStream {
private:
  friend TPlayerCodeProviderBasedOnInstalledModule& InstallInstalledModuleProvider();
  TPlayerCodeProviderBasedOnInstalledModule();
};

// Frees the current provider (unmapping its module), then makes one from
// `stream` (none: a provider without module).
TPlayerCodeProviderBasedOnStream& InstallStreamProvider(std::optional<std::span<const std::byte>> stream);
// Frees the current provider, then makes one from the installed player.
TPlayerCodeProviderBasedOnInstalledModule& InstallInstalledModuleProvider();
void FreePlayerCodeProvider() noexcept;
// The process-wide provider, or null.
TPlayerCodeProviderBasedOnStream* PlayerCodeProvider();

}  // namespace vell::player
