#include "player/hooks/HookState.h"

#include <atomic>
#include <cstdint>

#include "player/hooks/HookMaps.h"

namespace vell::player {

namespace {

std::atomic<THookState*> handedDown{nullptr};

}  // namespace

THookState::THookState() = default;
THookState::~THookState() = default;

THookState& HookState() {
  static THookState empty;
  THookState* state = handedDown.load();
  return state ? *state : empty;
}

void SetHookState(THookState* state) noexcept { handedDown.store(state); }

int PlayerLibraryIdentity() { return static_cast<int>(reinterpret_cast<std::intptr_t>(&handedDown)); }

}  // namespace vell::player
