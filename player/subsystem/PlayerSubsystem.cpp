#include "player/subsystem/PlayerSubsystem.h"

#include <utility>

#include "Exception.h"
#include "player/content/ContentManager.h"
#include "player/content/ProcessContentManager.h"
#include "player/hooks/HookMaps.h"
#include "player/hooks/HookState.h"
#include "player/subsystem/PlayerCodeProvider.h"

namespace vell::player {

namespace {

// All floating-point exceptions masked, 64-bit precision, round to nearest.
constexpr WORD kFloatingPointControlWord = 0x133F;
constexpr UINT kWorkingSetInterval = 10000;

int initCount = 0;

std::string& InitErrorMessage() {
  static std::string message;
  return message;
}

// Only x87 code has this control word; 64-bit code computes in SSE
// registers, whose exceptions the system already masks.
#if defined(__i386__)
void SetFloatingPointControlWord(WORD controlWord) { asm volatile("fldcw %0" : : "m"(controlWord)); }
#else
void SetFloatingPointControlWord(WORD) {}
#endif

void CALLBACK TrimWorkingSet(HWND, UINT, UINT_PTR, DWORD) {
  using TSetProcessWorkingSetSize = BOOL(WINAPI*)(HANDLE, SIZE_T, SIZE_T);
  const auto setSize = reinterpret_cast<TSetProcessWorkingSetSize>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "SetProcessWorkingSetSize")));
  if (setSize) setSize(GetCurrentProcess(), static_cast<SIZE_T>(-1), static_cast<SIZE_T>(-1));
}

template <typename T>
T LookUp(const TSystemLibraryFunctions& system, HMODULE library, const char* name) {
  return reinterpret_cast<T>(reinterpret_cast<void*>(system.GetProcAddress(library, name)));
}

}  // namespace

TPlayerProcessState::TPlayerProcessState() = default;
TPlayerProcessState::~TPlayerProcessState() = default;

void InitializePlayerState(TPlayerProcessState& state, const TSystemLibraryFunctions& system) {
  SetFloatingPointControlWord(kFloatingPointControlWord);
  InstallInstalledModuleProvider();

  state.ClassNames = std::make_unique<TMapString2String>();
  state.ContentManager = std::make_unique<TContentManager>();
  state.SoundOn = true;
  state.SoundLock = std::make_unique<std::recursive_mutex>();

  state.Urlmon = system.LoadLibraryA("urlmon.dll");
  if (!state.Urlmon) throw Exception("LoadLibrary(urlmon.dll) failed");
  state.RealCreateURLMoniker = LookUp<decltype(state.RealCreateURLMoniker)>(system, state.Urlmon, "CreateURLMoniker");
  if (!state.RealCreateURLMoniker) throw Exception("GetProcAddress(CreateURLMoniker) failed");
  state.RealRegisterBindStatusCallback =
      LookUp<decltype(state.RealRegisterBindStatusCallback)>(system, state.Urlmon, "RegisterBindStatusCallback");
  if (!state.RealRegisterBindStatusCallback) throw Exception("GetProcAddress(RegisterBindStatusCallback) failed");
  state.ContentManager->SetUrlMonikerFunctions(state.RealCreateURLMoniker, state.RealRegisterBindStatusCallback);
  SetProcessContentManager(state.ContentManager.get());
  state.User32 = system.LoadLibraryA("user32.dll");
  if (!state.User32) throw Exception("LoadLibrary(user32.dll) failed");

  state.Volume = 100;
  state.WaveDevices = std::make_unique<TMapCardinal2Cardinal>();
  state.Cursors = std::make_unique<TSavedCursors>();
  state.WorkingSetTimer = SetTimer(nullptr, 0, kWorkingSetInterval, TrimWorkingSet);
}

// The player module goes first, while the state its hooks use still exists.
void ShutdownPlayerState(TPlayerProcessState& state) noexcept {
  FreePlayerCodeProvider();
  state.ClassNames.reset();
  SetProcessContentManager(nullptr);
  state.ContentManager.reset();
  state.SoundLock.reset();
  if (state.Urlmon) FreeLibrary(std::exchange(state.Urlmon, nullptr));
  if (state.User32) FreeLibrary(std::exchange(state.User32, nullptr));
  state.RealCreateURLMoniker = nullptr;
  state.RealRegisterBindStatusCallback = nullptr;
  state.WaveDevices.reset();
  state.Cursors.reset();
  if (state.WorkingSetTimer) KillTimer(nullptr, std::exchange(state.WorkingSetTimer, 0));
}

TPlayerProcessState& PlayerProcessState() {
  static TPlayerProcessState state;
  return state;
}

void InitializePlayerSubsystem() {
  if (initCount++ != 0) return;
  // Handed down before anything can fail: a player mapped without the rest
  // of the start-up still finds its hooks' state.
  SetHookState(&PlayerProcessState());
  InitializePlayerState(PlayerProcessState());
}

void FinalizePlayerSubsystem() noexcept {
  if (initCount == 0 || --initCount != 0) return;
  ShutdownPlayerState(PlayerProcessState());
}

const std::string& PlayerSubsystemInitError() { return InitErrorMessage(); }

TPlayerSubsystemInitializer::TPlayerSubsystemInitializer() {
  try {
    InitializePlayerSubsystem();
  } catch (const std::exception& error) {
    // Nothing can report it this early; the reader starts without a player.
    InitErrorMessage() = error.what();
  }
}

TPlayerSubsystemInitializer::~TPlayerSubsystemInitializer() { FinalizePlayerSubsystem(); }

// Ahead of every static object of default priority in the program, so that
// the subsystem is ready before any of the application's start code runs.
TPlayerSubsystemInitializer earliestInitializer __attribute__((init_priority(200)));

}  // namespace vell::player
