#include "player/content/ProcessContentManager.h"

#include <atomic>

#include "player/content/ContentManager.h"

namespace vell::player {

namespace {

std::atomic<TContentManager*> installed{nullptr};

}  // namespace

TContentManager& ProcessContentManager() {
  static TContentManager passThrough;
  TContentManager* manager = installed.load();
  return manager ? *manager : passThrough;
}

void SetProcessContentManager(TContentManager* manager) noexcept { installed.store(manager); }

}  // namespace vell::player
