// The control's call into the content manager when it goes: the manager
// drops every entry it keeps for it. By default that is the process's
// manager; a test binds its own observer here.
#pragma once
#include <functional>

#include "player/content/PlayerControlBase.h"

namespace vell::player {

using TUnregisterControl = std::function<void(IPlayerControlBase* control)>;

// Replaces the binding; an empty one unbinds.
void SetUnregisterControl(TUnregisterControl unregister);
// Called by the control at the start of its destruction; never raises.
void UnregisterFromContentManager(IPlayerControlBase* control) noexcept;

}  // namespace vell::player
