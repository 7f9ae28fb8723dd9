#pragma once
#include "ForwardingPlatform.h"

// The archive's platform with one change: its yield goes through the
// application's own message pump. The archive yields between blocks, and
// pages are read ahead all the time, so a key often arrives inside an
// extraction; there it must meet the same shortcuts (Ctrl+W, Ctrl+O, F11)
// as in the main loop, not reach the form as a plain key.
class TApplicationYield : public TForwardingPlatform {
public:
  using TForwardingPlatform::TForwardingPlatform;
  void ProcessMessages() override;
};
