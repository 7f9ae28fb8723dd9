#include <gtest/gtest.h>

#include <string>

#include "Stream.h"
#include "Win32Handles.h"
#include "player/content/ContentManager.h"
#include "player/contract/PlayerContract.h"
#include "player/hooks/HookMaps.h"
#include "player/hooks/HookState.h"
#include "player/hooks/PlayerHooks.h"
#include "player/subsystem/EmbeddedPlayer.h"
#include "player/subsystem/PlayerCode.h"
#include "player/subsystem/PlayerCodeProvider.h"
#include "player/subsystem/PlayerSubsystem.h"
#include "player/tests/TestModules.h"

namespace vell::player {
namespace {

constexpr std::uint32_t kPagePlayerVersion = 0x0A010000;
constexpr const char* kInstalledPlayerKey = kMoviePlayerClassKey;

// Registers a player module for the duration of a test and removes the
// registration again, whatever happens.
class TInstalledPlayerRegistration {
public:
  explicit TInstalledPlayerRegistration(const std::wstring& path) {
    Remove();
    HKEY created = nullptr;
    const std::string key = std::string(kInstalledPlayerKey) + "\\InprocServer32";
    if (RegCreateKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &created, nullptr) !=
        ERROR_SUCCESS) {
      throw std::runtime_error("cannot register the player");
    }
    const TRegistryKey owned(created);
    std::string ansi(path.begin(), path.end());
    RegSetValueExA(owned.get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(ansi.c_str()), ansi.size() + 1);
  }
  ~TInstalledPlayerRegistration() { Remove(); }
  static void Remove() { RegDeleteTreeA(HKEY_CLASSES_ROOT, kInstalledPlayerKey); }
};

TEST(EmbeddedPlayer, TheExecutableCarriesThePlayerBesideItsOwnResources) {
  HRSRC player = FindResourceA(nullptr, "playerOCX", "BIN");
  ASSERT_NE(player, nullptr);
  EXPECT_EQ(SizeofResource(nullptr, player), testing::ReadBesideExecutable("pageplayer.dll").size());
  EXPECT_NE(FindResourceA(nullptr, "OWNRES", MAKEINTRESOURCEA(10)), nullptr);
}

TEST(EmbeddedPlayer, InstallingItMapsThePagePlayerAndCreatesObjectsThroughItsFactory) {
  InstallEmbeddedPlayerCode();
  EXPECT_EQ(LoadedPlayerVersion(), kPagePlayerVersion);
  IUnknown* object = nullptr;
  ASSERT_EQ(CreatePlayerObject(IID_IUnknown, reinterpret_cast<void**>(&object)), S_OK);
  ASSERT_NE(object, nullptr);
  object->Release();

  // The factory's answer is the caller's: an interface the player lacks is
  // refused, not reported as made.
  void* unknownInterface = &object;
  const IID kNoPlayerInterface = {0x6B1A7E40, 0x2C55, 0x4D0B, {0x9E, 0x31, 0x5F, 0x7A, 0x10, 0x22, 0x33, 0x44}};
  EXPECT_EQ(CreatePlayerObject(kNoPlayerInterface, &unknownInterface), E_NOINTERFACE);
  EXPECT_EQ(unknownInterface, nullptr);

  // The module registered its window class with its own cursor: under the
  // private name, for the host.
  const std::wstring privateName = L"PlayerControl_PagePlayerStage_" + std::to_wstring(PlayerLibraryIdentity());
  WNDCLASSEXW stage{};
  stage.cbSize = sizeof stage;
  ASSERT_TRUE(GetClassInfoExW(hooks::HostInstance(), privateName.c_str(), &stage));
  EXPECT_NE(stage.hCursor, nullptr);
  EXPECT_NE(stage.hCursor, LoadCursorW(nullptr, MAKEINTRESOURCEW(32512)));
}

TEST(EmbeddedPlayer, InstallsFromTheWholeOfAStreamWhateverItsPosition) {
  const auto module = testing::ReadBesideExecutable("pageplayer.dll");
  TMemoryStream stream;
  stream.WriteBuffer(module.data(), module.size());
  InstallPlayerCode(stream);
  EXPECT_EQ(LoadedPlayerVersion(), kPagePlayerVersion);
}

TEST(EmbeddedPlayer, WithoutAUsableModuleThereIsNoPlayer) {
  InstallEmbeddedPlayerCode();
  const TPlayerCodeProviderBasedOnStream* before = PlayerCodeProvider();
  EXPECT_FALSE(InstallPlayerCodeFromResource(GetModuleHandleA("kernel32.dll"))) << "a module without the resource";
  EXPECT_EQ(PlayerCodeProvider(), before);

  for (const auto& stream : {std::vector<std::byte>{}, std::vector<std::byte>(4096, std::byte{0x4D})}) {
    InstallPlayerCode(stream);
    EXPECT_EQ(LoadedPlayerVersion(), 0u);
    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(CreatePlayerObject(IID_IUnknown, &object), E_FAIL);
  }
  FreePlayerCodeProvider();
  EXPECT_EQ(LoadedPlayerVersion(), 0u);
  void* object = nullptr;
  EXPECT_EQ(CreatePlayerObject(IID_IUnknown, &object), E_FAIL);
}

#if defined(__i386__)
std::uint16_t FloatingPointControlWord() {
  std::uint16_t word = 0;
  asm volatile("fnstcw %0" : "=m"(word));
  return word;
}
#endif

TEST(PlayerSubsystem, InitialisesBeforeTheProgramWithoutAnInstalledPlayer) {
  EXPECT_EQ(PlayerSubsystemInitError(), "");
#if defined(__i386__)
  // Bit 6 is reserved and always reads back as set.
  EXPECT_EQ(FloatingPointControlWord() & ~0x40, 0x133F);
#endif
  const TPlayerProcessState& state = PlayerProcessState();
  EXPECT_NE(state.RealCreateURLMoniker, nullptr);
  EXPECT_NE(state.RealRegisterBindStatusCallback, nullptr);
  EXPECT_NE(state.WorkingSetTimer, 0u);
  EXPECT_TRUE(state.SoundOn);
  EXPECT_EQ(state.Volume, 100);

  TInstalledPlayerRegistration::Remove();
  InstallInstalledModuleProvider();
  EXPECT_EQ(LoadedPlayerVersion(), 0u);
  void* object = nullptr;
  EXPECT_EQ(CreatePlayerObject(IID_IUnknown, &object), E_FAIL);
}

// The look-up of this name (a library or a function) fails; the rest reach the system.
const char* failingLookUp = nullptr;
HMODULE WINAPI LoadLibraryUnless(LPCSTR name) { return lstrcmpA(name, failingLookUp) == 0 ? nullptr : LoadLibraryA(name); }
FARPROC WINAPI GetProcAddressUnless(HMODULE module, LPCSTR name) {
  return lstrcmpA(name, failingLookUp) == 0 ? nullptr : GetProcAddress(module, name);
}

TEST(PlayerSubsystem, StopsAtTheFirstFailingLookUpWithItsMessage) {
  const struct {
    const char* failing;
    const char* message;
    bool user32Loaded;
  } cases[] = {
      {"urlmon.dll", "LoadLibrary(urlmon.dll) failed", false},
      {"CreateURLMoniker", "GetProcAddress(CreateURLMoniker) failed", false},
      {"RegisterBindStatusCallback", "GetProcAddress(RegisterBindStatusCallback) failed", false},
      {"user32.dll", "LoadLibrary(user32.dll) failed", false},
      {"nothing fails", nullptr, true},
  };
  const TSystemLibraryFunctions system{LoadLibraryUnless, GetProcAddressUnless};
  for (const auto& testCase : cases) {
    SCOPED_TRACE(testCase.failing);
    failingLookUp = testCase.failing;
    TPlayerProcessState state;
    try {
      InitializePlayerState(state, system);
      EXPECT_EQ(testCase.message, nullptr) << "no error raised";
    } catch (const Exception& error) {
      ASSERT_NE(testCase.message, nullptr) << error.Message();
      EXPECT_EQ(error.Message(), testCase.message);
    }
    // What comes before the look-ups is in place, what comes after only on success.
    EXPECT_NE(PlayerCodeProvider(), nullptr);
    EXPECT_NE(state.ClassNames, nullptr);
    EXPECT_NE(state.ContentManager, nullptr);
    EXPECT_NE(state.SoundLock, nullptr);
    EXPECT_TRUE(state.SoundOn);
    const bool completed = testCase.message == nullptr;
    EXPECT_EQ(state.User32 != nullptr, testCase.user32Loaded);
    EXPECT_EQ(state.Volume, completed ? 100 : 0);
    EXPECT_EQ(state.WaveDevices != nullptr, completed);
    EXPECT_EQ(state.Cursors != nullptr, completed);
    EXPECT_EQ(state.WorkingSetTimer != 0, completed);

    ShutdownPlayerState(state);
    EXPECT_EQ(PlayerCodeProvider(), nullptr);
    EXPECT_EQ(state.ClassNames, nullptr);
    EXPECT_EQ(state.ContentManager, nullptr);
    EXPECT_EQ(state.SoundLock, nullptr);
    EXPECT_EQ(state.Urlmon, nullptr);
    EXPECT_EQ(state.User32, nullptr);
    EXPECT_EQ(state.WaveDevices, nullptr);
    EXPECT_EQ(state.Cursors, nullptr);
    EXPECT_EQ(state.WorkingSetTimer, 0u);
  }
}

HRESULT monikerAtDetach = S_FALSE;
void RecordMonikerAtDetach(HRESULT result) { monikerAtDetach = result; }

// Shutdown unmaps the player first: its last calls still find the hooks' state.
TEST(PlayerSubsystem, ShutdownDetachesThePlayerWhileTheHooksStateStillExists) {
  InstallPlayerCode(testing::ReadBesideExecutable("hook_module.dll"));
  TPlayerModuleLoader* loader = PlayerCodeProvider()->Loader();
  ASSERT_NE(loader->ModuleBase(), nullptr);
  reinterpret_cast<void (*)(void (*)(HRESULT))>(loader->FindExport("SetDetachNotify"))(RecordMonikerAtDetach);

  ShutdownPlayerState(PlayerProcessState());
  EXPECT_EQ(monikerAtDetach, S_OK) << "the content manager was gone before the module";
  InitializePlayerState(PlayerProcessState());
  EXPECT_NE(PlayerProcessState().ContentManager, nullptr);
}

TEST(PlayerSubsystem, RepeatedInitialisationOnlyCounts) {
  InstallPlayerCode(testing::ReadBesideExecutable("pageplayer.dll"));
  const TPlayerCodeProviderBasedOnStream* provider = PlayerCodeProvider();
  InitializePlayerSubsystem();
  FinalizePlayerSubsystem();
  EXPECT_EQ(PlayerCodeProvider(), provider);
  EXPECT_NE(PlayerProcessState().ContentManager, nullptr);
}

TEST(PlayerSubsystem, TheInstalledModuleProviderMapsARegisteredPlayer) {
  const TInstalledPlayerRegistration registration(testing::PathBesideExecutable("pageplayer.dll"));
  InstallInstalledModuleProvider();
  EXPECT_EQ(LoadedPlayerVersion(), kPagePlayerVersion);
  IUnknown* object = nullptr;
  ASSERT_EQ(CreatePlayerObject(IID_IUnknown, reinterpret_cast<void**>(&object)), S_OK);
  ASSERT_NE(object, nullptr);
  object->Release();
}

}  // namespace
}  // namespace vell::player
