#pragma once
#include <windows.h>

// Including this header initialises the player subsystem before the
// including file's own static start-up.
#include "player/subsystem/PlayerSubsystem.h"

namespace vell::player {

// Installs the player module that the running executable carries as its
// resource "playerOCX" of type "BIN". Never raises: without a usable
// resource the reader goes on with whatever provider it had.
void InstallEmbeddedPlayerCode() noexcept;

// The same from another module's resources; false when there was none or
// installing it raised.
bool InstallPlayerCodeFromResource(HMODULE module) noexcept;

}  // namespace vell::player

using vell::player::InstallEmbeddedPlayerCode;
