#include "PointerDrag.h"

#include <cstdlib>

namespace pageplayer {

void TPointerDrag::Press(int x, int y) {
  pressed_ = true;
  dragging_ = false;
  lastX_ = x;
  lastY_ = y;
}

std::optional<TPointerDrag::TStep> TPointerDrag::Move(int x, int y) {
  if (!pressed_) return std::nullopt;
  if (!dragging_) {
    if (std::abs(x - lastX_) <= slopX_ && std::abs(y - lastY_) <= slopY_) return std::nullopt;
    // The first step counts from where the button went down, so the view
    // follows the pointer exactly.
    dragging_ = true;
  }
  const TStep step{x - lastX_, y - lastY_};
  lastX_ = x;
  lastY_ = y;
  return step;
}

bool TPointerDrag::Release() {
  if (!pressed_) return false;
  const bool click = !dragging_;
  Cancel();
  return click;
}

}  // namespace pageplayer
