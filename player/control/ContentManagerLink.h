// The control's one call into the content manager: when a control goes, the
// manager drops every entry it keeps for it. The manager binds its
// UnregisterControl here; until it does, a control has no entries to drop.
#pragma once
#include <functional>

#include "player/control/PlayerContract.h"

namespace vell::player {

using TUnregisterControl = std::function<void(IPlayerControlBase* control)>;

// Replaces the binding; an empty one unbinds.
void SetUnregisterControl(TUnregisterControl unregister);
// Called by the control at the start of its destruction; never raises.
void UnregisterFromContentManager(IPlayerControlBase* control) noexcept;

}  // namespace vell::player
