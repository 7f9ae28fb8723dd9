#include "player/control/PlayerCode.h"

#include "player/hooks/PlayerCodeProvider.h"

namespace vell::player {

void InstallPlayerCode(std::span<const std::byte> stream) { InstallStreamProvider(stream); }

std::uint32_t LoadedPlayerVersion() {
  const TPlayerCodeProviderBasedOnStream* provider = PlayerCodeProvider();
  return provider ? provider->GetVersion() : 0;
}

HRESULT CreatePlayerObject(REFIID interfaceId, void** object) {
  TPlayerCodeProviderBasedOnStream* provider = PlayerCodeProvider();
  return provider ? provider->CreatePlayerObject(interfaceId, object) : E_FAIL;
}

}  // namespace vell::player
