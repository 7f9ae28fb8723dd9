// The content manager that the player's requests reach: the one the player
// subsystem installed, or, before and after it, one that hands every request
// to the system and keeps movies filed by controls in memory all the same.
#pragma once

namespace vell::player {

class TContentManager;

TContentManager& ProcessContentManager();
// The subsystem installs its manager at start and takes it back (nullptr)
// before it frees it.
void SetProcessContentManager(TContentManager* manager) noexcept;

}  // namespace vell::player
