#pragma once
#include <windows.h>
#include <mmsystem.h>

#include <memory>
#include <mutex>

namespace vell::player {

class TMapString2String;
class TMapCardinal2Cardinal;
class TSavedCursors;

// What the hooks keep between the player's calls: its window classes, its
// wave devices and the reader's sound settings, the cursors made from its
// resources. The player subsystem's start-up fills it and hands it down.
struct THookState {
  std::unique_ptr<TMapString2String> ClassNames;
  // Guards the wave device map, the sound flag and the volume only: device
  // callbacks run on other threads while the wave calls wait for them, so
  // no system call is made under it. Re-entrant like a critical section.
  std::unique_ptr<std::recursive_mutex> SoundLock;
  bool SoundOn = false;
  int Volume = 0;
  std::unique_ptr<TMapCardinal2Cardinal> WaveDevices;
  // The system's wave output the sound hooks call; tests put fakes here.
  struct TWaveOutFunctions {
    decltype(&::waveOutOpen) Open = ::waveOutOpen;
    decltype(&::waveOutWrite) Write = ::waveOutWrite;
    decltype(&::waveOutClose) Close = ::waveOutClose;
  } WaveOut;
  std::unique_ptr<TSavedCursors> Cursors;

  THookState();
  ~THookState();
  THookState(const THookState&) = delete;
  THookState& operator=(const THookState&) = delete;
};

// The state the hooks read, from whatever thread the player calls on: the
// one handed down, or until then an empty one (no maps, sound off, the
// system's wave output).
THookState& HookState();
// The state must outlive every call of the player into the hooks.
void SetHookState(THookState* state) noexcept;

// A number that tells this copy of the hooks from others in the process: the
// private names of the player's window classes carry it.
int PlayerLibraryIdentity();

}  // namespace vell::player
