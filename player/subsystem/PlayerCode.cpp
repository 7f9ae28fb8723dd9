#include "player/subsystem/PlayerCode.h"

#include <vector>

#include "Stream.h"
#include "player/subsystem/PlayerCodeProvider.h"

namespace vell::player {

void InstallPlayerCode(std::span<const std::byte> stream) { InstallStreamProvider(stream); }

void InstallPlayerCode(TStream& stream) {
  stream.SetPosition(0);
  std::vector<std::byte> bytes(static_cast<std::size_t>(stream.Size()));
  stream.ReadBuffer(bytes.data(), bytes.size());
  InstallPlayerCode(bytes);
}

std::uint32_t LoadedPlayerVersion() {
  const TPlayerCodeProviderBasedOnStream* provider = PlayerCodeProvider();
  return provider ? provider->GetVersion() : 0;
}

HRESULT CreatePlayerObject(REFIID interfaceId, void** object) {
  TPlayerCodeProviderBasedOnStream* provider = PlayerCodeProvider();
  return provider ? provider->CreatePlayerObject(interfaceId, object) : E_FAIL;
}

}  // namespace vell::player
