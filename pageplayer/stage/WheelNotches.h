#pragma once

namespace pageplayer {

// Turns wheel movement into whole notches. A smooth wheel or a touch pad
// reports a notch in small steps: they add up until a notch is complete,
// and a change of direction starts afresh, so that a little movement back
// never undoes a turn the person is still making.
class TWheelNotches {
public:
  static constexpr int kNotch = 120;  // one detent of a classic wheel

  // The whole notches the movement completes: positive away from the
  // person (up), negative towards them.
  int Add(int delta);
  void Reset() { pending_ = 0; }

private:
  int pending_ = 0;
};

}  // namespace pageplayer
