#include "WheelNotches.h"

namespace pageplayer {

int TWheelNotches::Add(int delta) {
  if ((delta > 0 && pending_ < 0) || (delta < 0 && pending_ > 0)) pending_ = 0;
  pending_ += delta % kNotch;
  int notches = delta / kNotch + pending_ / kNotch;
  pending_ %= kNotch;
  return notches;
}

}  // namespace pageplayer
