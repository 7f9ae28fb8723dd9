#pragma once
#include <windows.h>
#include <mmsystem.h>

#include <cstdint>
#include <vector>

namespace pageplayer {

// The short click of a turning page. Without a sound device it is quietly
// nothing. The device stays open while the click plays and is closed by the
// next click, by Settle once the click is over, or when this goes.
class TPageClick {
public:
  TPageClick();
  TPageClick(const TPageClick&) = delete;
  TPageClick& operator=(const TPageClick&) = delete;
  ~TPageClick() { Close(true); }

  void Play();
  // Closes the device once the click has played; true while it still plays.
  bool Settle() {
    Close(false);
    return device_ != nullptr;
  }

private:
  void Close(bool evenWhilePlaying);

  std::vector<std::uint8_t> samples_;
  HWAVEOUT device_ = nullptr;
  WAVEHDR header_{};
};

}  // namespace pageplayer
