#include <cstring>

#include "player/hooks/HookMaps.h"
#include "player/hooks/HookState.h"
#include "player/hooks/PlayerHooks.h"

// Sound passes through the reader so that it can be muted or scaled. The
// sound lock guards only the reader's own sound state: the system's wave
// calls wait for device callbacks on other threads, which may take it.
namespace vell::player::hooks {

namespace {

std::unique_lock<std::recursive_mutex> SoundGuard() {
  auto& lock = HookState().SoundLock;
  return lock ? std::unique_lock(*lock) : std::unique_lock<std::recursive_mutex>();
}

std::uint32_t DeviceKey(HWAVEOUT device) { return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(device)); }

}  // namespace

void ScaleSamples(std::uint8_t* data, DWORD length, std::uint32_t bytesPerSample, int volume) {
  if (volume == 100) return;
  if (bytesPerSample == 1) {
    for (DWORD i = 0; i < length; ++i) data[i] = static_cast<std::uint8_t>(128 + (data[i] - 128) * volume / 100);
  } else if (bytesPerSample == 2) {
    for (DWORD i = 0; i < length / 2; ++i) {
      std::int16_t sample;
      std::memcpy(&sample, data + 2 * i, 2);
      sample = static_cast<std::int16_t>(sample * volume / 100);
      std::memcpy(data + 2 * i, &sample, 2);
    }
  }
}

MMRESULT WINAPI HookWaveOutOpen(LPHWAVEOUT device, UINT deviceId, LPCWAVEFORMATEX format, DWORD_PTR callback,
                                DWORD_PTR instance, DWORD flags) try {
  THookState& state = HookState();
  const MMRESULT result = state.WaveOut.Open(device, deviceId, format, callback, instance, flags);
  // A format query opens no device and may pass no handle.
  if (result == MMSYSERR_NOERROR && device && format) {
    const auto guard = SoundGuard();
    if (state.WaveDevices) state.WaveDevices->Add(DeviceKey(*device), format->wBitsPerSample / 8);
  }
  return result;
} catch (...) {
  return MMSYSERR_ERROR;
}

MMRESULT WINAPI HookWaveOutWrite(HWAVEOUT device, LPWAVEHDR header, UINT headerSize) try {
  THookState& state = HookState();
  if (header && header->lpData) {
    std::optional<std::uint32_t> bytesPerSample;
    bool soundOn = false;
    int volume = 0;
    {
      const auto guard = SoundGuard();
      bytesPerSample = state.WaveDevices ? state.WaveDevices->Find(DeviceKey(device)) : std::nullopt;
      soundOn = state.SoundOn;
      volume = state.Volume;
    }
    auto* data = reinterpret_cast<std::uint8_t*>(header->lpData);
    if (!soundOn) {
      std::memset(data, bytesPerSample == 1u ? 0x80 : 0, header->dwBufferLength);
    } else if (bytesPerSample) {
      ScaleSamples(data, header->dwBufferLength, *bytesPerSample, volume);
    }
  }
  return state.WaveOut.Write(device, header, headerSize);
} catch (...) {
  return MMSYSERR_ERROR;
}

MMRESULT WINAPI HookWaveOutClose(HWAVEOUT device) try {
  return HookState().WaveOut.Close(device);
} catch (...) {
  return MMSYSERR_ERROR;
}

}  // namespace vell::player::hooks
