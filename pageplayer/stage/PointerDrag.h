#pragma once
#include <optional>

namespace pageplayer {

// One press of the button: a click while the pointer stays within the
// system's drag distance of where it went down, a drag once it leaves it.
class TPointerDrag {
public:
  struct TStep {
    int dx = 0, dy = 0;
    bool operator==(const TStep&) const = default;
  };

  // slopX, slopY: how far the pointer may move either way and still click.
  TPointerDrag(int slopX, int slopY) : slopX_(slopX), slopY_(slopY) {}

  void Press(int x, int y);
  // How far the pointer moved since the last step once dragging; nothing
  // while it is still a click or when no press is going on.
  std::optional<TStep> Move(int x, int y);
  // Ends the press (after the move to where the button went up); true when
  // it was a click.
  bool Release();
  void Cancel() { pressed_ = dragging_ = false; }

  bool Pressed() const { return pressed_; }
  bool Dragging() const { return dragging_; }

private:
  int slopX_, slopY_;
  bool pressed_ = false;
  bool dragging_ = false;
  int lastX_ = 0, lastY_ = 0;
};

}  // namespace pageplayer
