#include "fetch/PageClick.h"

namespace pageplayer {

namespace {
constexpr DWORD kRate = 22050;
constexpr int kClickSamples = kRate / 40;  // 25 ms
}  // namespace

TPageClick::TPageClick() : samples_(kClickSamples) {
  // A decaying rustle: pseudo-random noise under a falling envelope, 8-bit unsigned.
  std::uint32_t noise = 0x2545F491;
  for (int i = 0; i < kClickSamples; ++i) {
    noise ^= noise << 13;
    noise ^= noise >> 17;
    noise ^= noise << 5;
    const int envelope = 100 * (kClickSamples - i) / kClickSamples;
    const int sample = static_cast<int>(noise % 256) - 128;
    samples_[i] = static_cast<std::uint8_t>(128 + sample * envelope / 100);
  }
}

void TPageClick::Play() {
  Close(true);
  WAVEFORMATEX format{};
  format.wFormatTag = WAVE_FORMAT_PCM;
  format.nChannels = 1;
  format.nSamplesPerSec = kRate;
  format.wBitsPerSample = 8;
  format.nBlockAlign = 1;
  format.nAvgBytesPerSec = kRate;
  if (waveOutOpen(&device_, WAVE_MAPPER, &format, 0, 0, CALLBACK_NULL) != MMSYSERR_NOERROR) {
    device_ = nullptr;
    return;
  }
  header_ = {};
  header_.lpData = reinterpret_cast<LPSTR>(samples_.data());
  header_.dwBufferLength = static_cast<DWORD>(samples_.size());
  if (waveOutPrepareHeader(device_, &header_, sizeof header_) != MMSYSERR_NOERROR ||
      waveOutWrite(device_, &header_, sizeof header_) != MMSYSERR_NOERROR) {
    Close(true);
  }
}

void TPageClick::Close(bool evenWhilePlaying) {
  if (!device_) return;
  const bool playing = (header_.dwFlags & WHDR_PREPARED) && !(header_.dwFlags & WHDR_DONE);
  if (playing && !evenWhilePlaying) return;
  if (playing) waveOutReset(device_);
  if (header_.dwFlags & WHDR_PREPARED) waveOutUnprepareHeader(device_, &header_, sizeof header_);
  waveOutClose(device_);
  device_ = nullptr;
  header_ = {};
}

}  // namespace pageplayer
