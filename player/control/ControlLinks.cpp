// The control's two links to process-wide pieces it does not own: where its
// player objects come from, and the content manager it leaves when it goes.
#include "player/control/ContentManagerLink.h"
#include "player/control/PlayerCodeSource.h"

#include <utility>

#include "player/content/ContentManager.h"
#include "player/content/ProcessContentManager.h"

namespace vell::player {

namespace {

TUnregisterControl& Binding() {
  static TUnregisterControl binding;
  return binding;
}

}  // namespace

TPlayerCodeSource& PlayerCodeSource() {
  static TPlayerCodeSource source;
  return source;
}

void SetUnregisterControl(TUnregisterControl unregister) { Binding() = std::move(unregister); }

void UnregisterFromContentManager(IPlayerControlBase* control) noexcept {
  try {
    if (Binding()) Binding()(control);
    else ProcessContentManager().UnregisterControl(control);
  } catch (...) {
    // Destruction goes on: a control that could not leave the table is
    // still released.
  }
}

}  // namespace vell::player
