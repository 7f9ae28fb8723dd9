// Binds the control's player code source to the process-wide code provider.
// Linked into the reader as an object of its own, so that it is always there
// and runs before the program's start code.
#include "player/control/PlayerCodeSource.h"
#include "player/subsystem/PlayerCode.h"

namespace vell::player {

namespace {

const bool providerBound = [] {
  PlayerCodeSource().CreatePlayerObject = [](REFIID interfaceId, void** object) {
    return CreatePlayerObject(interfaceId, object);
  };
  PlayerCodeSource().LoadedPlayerVersion = [] { return LoadedPlayerVersion(); };
  return true;
}();

}  // namespace

}  // namespace vell::player
