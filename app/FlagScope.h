// A flag that is set for as long as a scope runs, also when it is left by an
// exception: what tells a handler re-entered from a message loop that its
// first run has not ended yet.
#pragma once

class TFlagScope {
public:
  explicit TFlagScope(bool& flag) : flag_(flag) { flag_ = true; }
  ~TFlagScope() { flag_ = false; }
  TFlagScope(const TFlagScope&) = delete;
  TFlagScope& operator=(const TFlagScope&) = delete;

private:
  bool& flag_;
};
