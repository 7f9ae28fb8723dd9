// Movies from memory: the control hands the bytes to the process's content
// manager, which serves them to the player under an address of its own.
#include "Stream.h"
#include "player/content/ContentManager.h"
#include "player/content/ProcessContentManager.h"
#include "player/control/PlayerControl.h"

namespace vell::player {

namespace {

constexpr long kNoLayer = -1;

}  // namespace

void TPlayerControl::LoadLayerFromStream(int layer, TStream& stream) {
  ProcessContentManager().CopyMovieFromStream(ManagerLink(), true, stream, layer);
}

void TPlayerControl::SetMovieFromStream(TStream& stream) {
  ProcessContentManager().CopyMovieFromStream(ManagerLink(), false, stream, kNoLayer);
}

std::unique_ptr<TStream> TPlayerControl::OpenLayerStream(int layer) {
  return ProcessContentManager().CreateMovieStream(ManagerLink(), true, layer);
}

std::unique_ptr<TStream> TPlayerControl::OpenMovieStream() {
  return ProcessContentManager().CreateMovieStream(ManagerLink(), false, kNoLayer);
}

}  // namespace vell::player
