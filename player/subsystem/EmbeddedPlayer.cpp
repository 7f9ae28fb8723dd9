#include "player/subsystem/EmbeddedPlayer.h"

#include "player/subsystem/PlayerCode.h"

namespace vell::player {

bool InstallPlayerCodeFromResource(HMODULE module) noexcept {
  try {
    HRSRC resource = FindResourceA(module, "playerOCX", "BIN");
    if (!resource) return false;
    const DWORD size = SizeofResource(module, resource);
    HGLOBAL loaded = LoadResource(module, resource);
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes && size != 0) return false;
    // An empty resource still replaces the provider: the reader then runs without a player.
    InstallPlayerCode({static_cast<const std::byte*>(bytes), bytes ? size : 0});
    return true;
  } catch (...) {
    return false;
  }
}

void InstallEmbeddedPlayerCode() noexcept { InstallPlayerCodeFromResource(GetModuleHandleW(nullptr)); }

}  // namespace vell::player
