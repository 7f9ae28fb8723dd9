#pragma once
#include <windows.h>
#include <urlmon.h>

#include <memory>
#include <string>

#include "player/hooks/HookState.h"

namespace vell::player {

class TContentManager;

// Process-wide objects of the player subsystem, made by its initialisation
// and torn down by its shutdown: the hooks' state, which the process-wide
// one hands down to the hooks, and what the hooks do not see.
struct TPlayerProcessState : THookState {
  std::unique_ptr<TContentManager> ContentManager;
  HMODULE Urlmon = nullptr;
  HMODULE User32 = nullptr;
  decltype(&::CreateURLMoniker) RealCreateURLMoniker = nullptr;
  decltype(&::RegisterBindStatusCallback) RealRegisterBindStatusCallback = nullptr;
  UINT_PTR WorkingSetTimer = 0;

  TPlayerProcessState();
  ~TPlayerProcessState();
};

TPlayerProcessState& PlayerProcessState();

// The library look-ups of the initialisation; tests make them fail.
struct TSystemLibraryFunctions {
  HMODULE(WINAPI* LoadLibraryA)(LPCSTR) = ::LoadLibraryA;
  FARPROC(WINAPI* GetProcAddress)(HMODULE, LPCSTR) = ::GetProcAddress;
};

// The steps of the initialisation and of the shutdown over `state`; the
// process-wide provider is made and freed by them too. The initialisation
// raises with the system's message at the first look-up that fails and
// leaves the later steps undone.
void InitializePlayerState(TPlayerProcessState& state, const TSystemLibraryFunctions& system = {});
void ShutdownPlayerState(TPlayerProcessState& state) noexcept;

// Counted: the first call initialises, later ones only count. Raises with the
// system's message when urlmon.dll or user32.dll cannot be used; what was done
// until then stays in place.
void InitializePlayerSubsystem();
// The call that brings the count back to zero shuts down, in reverse.
void FinalizePlayerSubsystem() noexcept;

// The message of a failure during the automatic initialisation, empty if none.
const std::string& PlayerSubsystemInitError();

// Initialises the subsystem before the static start-up code of every file
// that includes this header, so before the application's start, and shuts it
// down after their static objects are gone.
class TPlayerSubsystemInitializer {
public:
  TPlayerSubsystemInitializer();
  ~TPlayerSubsystemInitializer();
  TPlayerSubsystemInitializer(const TPlayerSubsystemInitializer&) = delete;
  TPlayerSubsystemInitializer& operator=(const TPlayerSubsystemInitializer&) = delete;
};
static TPlayerSubsystemInitializer playerSubsystemInitializer;

}  // namespace vell::player
