#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "player/content/ContentManager.h"
#include "player/content/ProcessContentManager.h"
#include "player/hooks/HookMaps.h"
#include "player/hooks/HookState.h"
#include "player/hooks/PlayerHooks.h"
#include "player/loader/ModuleResources.h"
#include "player/subsystem/PlayerCode.h"
#include "player/subsystem/PlayerCodeProvider.h"
#include "player/subsystem/PlayerSubsystem.h"
#include "player/tests/TestModules.h"

namespace vell::player {
namespace {

using testing::ReadBesideExecutable;

// The hook module, mapped as the process-wide player code so that its
// run-time look-ups go through the provider's loader too.
class PlayerHooks : public ::testing::Test {
protected:
  void SetUp() override {
    InstallPlayerCode(ReadBesideExecutable("hook_module.dll"));
    loader_ = PlayerCodeProvider()->Loader();
    ASSERT_NE(loader_->ModuleBase(), nullptr);
    module_ = Call<HINSTANCE (*)()>("ModuleInstance")();
  }
  void TearDown() override { FreePlayerCodeProvider(); }

  template <typename F>
  F Call(const char* name) {
    auto function = reinterpret_cast<F>(loader_->FindExport(name));
    if (!function) throw std::runtime_error(std::string("hook module lacks ") + name);
    return function;
  }
  void* Imported(const char* name) { return Call<void* (*)(const char*)>("ImportedAddress")(name); }

  TPlayerModuleLoader* loader_ = nullptr;
  HINSTANCE module_ = nullptr;
};

std::wstring PrivateClassName(const std::wstring& requested) {
  return L"PlayerControl_" + requested + L"_" + std::to_wstring(PlayerLibraryIdentity());
}

std::wstring ClassOf(HWND window) {
  wchar_t name[256] = {};
  GetClassNameW(window, name, 256);
  return name;
}

TEST_F(PlayerHooks, EveryHookedImportOfTheModuleLeadsToItsReplacement) {
  const struct {
    const char* library;
    const char* name;
  } hooked[] = {
      {"urlmon.dll", "CreateURLMoniker"}, {"user32.dll", "RegisterClassExA"}, {"user32.dll", "RegisterClassA"},
      {"user32.dll", "RegisterClassExW"}, {"user32.dll", "RegisterClassW"}, {"user32.dll", "CreateWindowExA"},
      {"user32.dll", "CreateWindowExW"}, {"user32.dll", "LoadCursorA"}, {"user32.dll", "LoadMenuA"},
      {"winmm.dll", "waveOutWrite"}, {"winmm.dll", "waveOutOpen"}, {"winmm.dll", "waveOutClose"},
      {"kernel32.dll", "FlushInstructionCache"}, {"kernel32.dll", "CreateFileA"}, {"kernel32.dll", "VirtualAlloc"},
      {"kernel32.dll", "ReadFile"}, {"kernel32.dll", "CloseHandle"}, {"kernel32.dll", "GetFileSize"},
      {"kernel32.dll", "GetFileSizeEx"}, {"kernel32.dll", "SetFilePointer"}, {"kernel32.dll", "SetFilePointerEx"},
      {"kernel32.dll", "CreateFileW"}, {"kernel32.dll", "GetProcAddress"},
  };
  for (const auto& function : hooked) {
    SCOPED_TRACE(function.name);
    void* replacement = reinterpret_cast<void*>(loader_->ImportOverride("any.dll", TImportProc::ByName(function.name)));
    ASSERT_NE(replacement, nullptr);
    EXPECT_EQ(Imported(function.name), replacement);
    EXPECT_NE(replacement, reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA(function.library), function.name)));
  }
  EXPECT_EQ(loader_->ImportOverride("kernel32.dll", TImportProc::ByName("createfilew")), nullptr);
  EXPECT_EQ(loader_->ImportOverride("kernel32.dll", TImportProc::ByName("GetTickCount")), nullptr);
  EXPECT_EQ(loader_->ImportOverride("kernel32.dll", TImportProc::ByNumber(1)), nullptr);
}

TEST_F(PlayerHooks, RunTimeLookUpsGetTheSameReplacementsByExactName) {
  const auto getProcAddress = Call<FARPROC (*)(HMODULE, LPCSTR)>("CallGetProcAddress");
  HMODULE kernel32 = GetModuleHandleA("kernel32.dll");
  EXPECT_EQ(reinterpret_cast<void*>(getProcAddress(kernel32, "CreateFileW")), Imported("CreateFileW"));
  EXPECT_EQ(getProcAddress(kernel32, "createfilew"), nullptr);
  EXPECT_EQ(getProcAddress(kernel32, "GetTickCount"), GetProcAddress(kernel32, "GetTickCount"));
}

TEST_F(PlayerHooks, ClassesGetPrivateNamesOnTheHostAndWindowsFindThemInAnyCase) {
  WNDCLASSEXA exA{sizeof exA, 0, DefWindowProcA, 0, 0, module_, nullptr, nullptr, nullptr, nullptr, "ProbeExA", nullptr};
  WNDCLASSA plainA{0, DefWindowProcA, 0, 0, module_, nullptr, nullptr, nullptr, nullptr, "ProbePlainA"};
  WNDCLASSEXW exW{sizeof exW, 0, DefWindowProcW, 0, 0, module_, nullptr, nullptr, nullptr, nullptr, L"ProbeExW", nullptr};
  WNDCLASSW plainW{0, DefWindowProcW, 0, 0, module_, nullptr, nullptr, nullptr, nullptr, L"ProbePlainW"};
  const struct {
    std::wstring requested;
    std::function<ATOM()> registerClass;
  } variants[] = {
      {L"ProbeExA", [&] { return Call<ATOM (*)(const WNDCLASSEXA*)>("CallRegisterClassExA")(&exA); }},
      {L"ProbePlainA", [&] { return Call<ATOM (*)(const WNDCLASSA*)>("CallRegisterClassA")(&plainA); }},
      {L"ProbeExW", [&] { return Call<ATOM (*)(const WNDCLASSEXW*)>("CallRegisterClassExW")(&exW); }},
      {L"ProbePlainW", [&] { return Call<ATOM (*)(const WNDCLASSW*)>("CallRegisterClassW")(&plainW); }},
  };
  const auto createA = Call<HWND (*)(LPCSTR, HINSTANCE)>("CallCreateWindowExA");
  const auto createW = Call<HWND (*)(LPCWSTR, HINSTANCE)>("CallCreateWindowExW");
  for (const auto& variant : variants) {
    SCOPED_TRACE(std::string(variant.requested.begin(), variant.requested.end()));
    ASSERT_NE(variant.registerClass(), 0);
    // Registering the same name again replaces the earlier registration.
    ASSERT_NE(variant.registerClass(), 0);
    WNDCLASSEXW found{};
    found.cbSize = sizeof found;
    EXPECT_TRUE(GetClassInfoExW(hooks::HostInstance(), PrivateClassName(variant.requested).c_str(), &found));
    EXPECT_FALSE(GetClassInfoExW(module_, variant.requested.c_str(), &found));

    std::wstring lower = variant.requested, upper = variant.requested;
    CharLowerW(lower.data());
    CharUpperW(upper.data());
    HWND wide = createW(lower.c_str(), module_);
    HWND ansi = createA(std::string(upper.begin(), upper.end()).c_str(), module_);
    ASSERT_NE(wide, nullptr);
    ASSERT_NE(ansi, nullptr);
    EXPECT_EQ(ClassOf(wide), PrivateClassName(variant.requested));
    EXPECT_EQ(ClassOf(ansi), PrivateClassName(variant.requested));
    EXPECT_EQ(reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(wide, GWLP_HINSTANCE)), hooks::HostInstance());
    DestroyWindow(wide);
    DestroyWindow(ansi);
  }
}

TEST_F(PlayerHooks, CursorsComeFromTheSystemOrTheModuleImageAndAreCached) {
  const auto loadCursor = Call<HCURSOR (*)(HINSTANCE, LPCSTR)>("CallLoadCursorA");
  EXPECT_EQ(loadCursor(nullptr, MAKEINTRESOURCEA(32512)), LoadCursorA(nullptr, MAKEINTRESOURCEA(32512)));
  for (LPCSTR name : std::initializer_list<LPCSTR>{MAKEINTRESOURCEA(1), "HANDCUR"}) {
    HCURSOR first = loadCursor(module_, name);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(loadCursor(module_, name), first);
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(first, &info));
    EXPECT_FALSE(info.fIcon);
    EXPECT_EQ(info.xHotspot, 5u);
    DeleteObject(info.hbmMask);
    if (info.hbmColor) DeleteObject(info.hbmColor);
  }
  EXPECT_NE(loadCursor(module_, MAKEINTRESOURCEA(1)), loadCursor(module_, "HANDCUR"));
  EXPECT_EQ(loadCursor(module_, "handcur"), nullptr);
  EXPECT_EQ(loadCursor(module_, MAKEINTRESOURCEA(99)), nullptr);
}

TEST_F(PlayerHooks, MenusComeFromTheModuleImage) {
  const auto loadMenu = Call<HMENU (*)(HINSTANCE, LPCSTR)>("CallLoadMenuA");
  HMENU menu = loadMenu(module_, MAKEINTRESOURCEA(5));
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(GetMenuItemCount(GetSubMenu(menu, 0)), 2);
  DestroyMenu(menu);
  EXPECT_EQ(loadMenu(module_, MAKEINTRESOURCEA(6)), nullptr);
  EXPECT_EQ(loadMenu(nullptr, MAKEINTRESOURCEA(5)), nullptr);
}

std::string ResourceText(HINSTANCE module, int id) {
  DWORD size = 0;
  void* data = nullptr;
  if (!FindModuleResource(module, MAKEINTRESOURCEA(10), MAKEINTRESOURCEA(id), size, data)) return "<none>";
  return static_cast<const char*>(data);
}

TEST_F(PlayerHooks, ResourcesAreLookedUpByThreadLanguageFirstAndFallBackToUsEnglish) {
  const LCID saved = GetThreadLocale();
  const LCID french = MAKELCID(MAKELANGID(LANG_FRENCH, SUBLANG_FRENCH), SORT_DEFAULT);
  const LCID german = MAKELCID(MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN), SORT_DEFAULT);
  SetThreadLocale(german);
  EXPECT_EQ(ResourceText(module_, 8), "deutsch");
  EXPECT_EQ(ResourceText(module_, 7), "only-1033");
  SetThreadLocale(french);
  // Under the test's German system language the 1033 copy is only the last resort.
  EXPECT_EQ(ResourceText(module_, 8), LANGIDFROMLCID(GetSystemDefaultLCID()) == 0x0407 ? "deutsch" : "english");
  EXPECT_EQ(ResourceText(module_, 7), "only-1033");
  EXPECT_EQ(ResourceText(module_, 9), "<none>");
  SetThreadLocale(saved);
}

TEST_F(PlayerHooks, GuardedAllocationsBecomePlainOnesOverTheWholeRegion) {
  constexpr SIZE_T kRegion = 64 * 1024;
  void* reserved = VirtualAlloc(nullptr, kRegion, MEM_RESERVE, PAGE_NOACCESS);
  ASSERT_NE(reserved, nullptr);
  const auto virtualAlloc = Call<LPVOID (*)(LPVOID, SIZE_T, DWORD, DWORD)>("CallVirtualAlloc");
  EXPECT_EQ(virtualAlloc(reserved, 4096, MEM_COMMIT, PAGE_READWRITE | PAGE_GUARD), reserved);
  MEMORY_BASIC_INFORMATION region{};
  ASSERT_TRUE(VirtualQuery(reserved, &region, sizeof region));
  EXPECT_EQ(region.State, static_cast<DWORD>(MEM_COMMIT));
  EXPECT_EQ(region.Protect, static_cast<DWORD>(PAGE_READWRITE));
  EXPECT_EQ(region.RegionSize, kRegion);
  VirtualFree(reserved, 0, MEM_RELEASE);

  // Without an address nothing is queried: the request goes through as asked.
  void* fresh = virtualAlloc(nullptr, 4096, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE | PAGE_GUARD);
  ASSERT_NE(fresh, nullptr);
  ASSERT_TRUE(VirtualQuery(fresh, &region, sizeof region));
  EXPECT_TRUE(region.Protect & PAGE_GUARD);
  VirtualFree(fresh, 0, MEM_RELEASE);
}

TEST_F(PlayerHooks, FlushingInstructionsMakesTheRangeExecutable) {
  void* page = VirtualAlloc(nullptr, 4096, MEM_RESERVE | MEM_COMMIT, PAGE_READONLY);
  ASSERT_NE(page, nullptr);
  EXPECT_TRUE(Call<BOOL (*)(LPCVOID, SIZE_T)>("CallFlushInstructionCache")(page, 16));
  MEMORY_BASIC_INFORMATION region{};
  ASSERT_TRUE(VirtualQuery(page, &region, sizeof region));
  EXPECT_EQ(region.Protect, static_cast<DWORD>(PAGE_EXECUTE_READWRITE));
  VirtualFree(page, 0, MEM_RELEASE);

  // Reserved but not committed: nothing there can be made executable.
  void* reserved = VirtualAlloc(nullptr, 4096, MEM_RESERVE, PAGE_NOACCESS);
  ASSERT_NE(reserved, nullptr);
  EXPECT_FALSE(Call<BOOL (*)(LPCVOID, SIZE_T)>("CallFlushInstructionCache")(reserved, 16));
  VirtualFree(reserved, 0, MEM_RELEASE);
}

// What reached the fake wave output.
struct TWaveCalls {
  int Opened = 0, Written = 0, Closed = 0;
  bool LockFreeEachTime = true;
  DWORD OpenFlags = 0;
  std::vector<std::int16_t> WrittenSamples;
};
TWaveCalls calls;

// The system's wave output replaced by fakes that record what reached them
// and whether another thread (a device callback) could take the sound lock
// meanwhile.
class PlayerSoundHooks : public PlayerHooks {
protected:
  void SetUp() override {
    PlayerHooks::SetUp();
    saved_ = PlayerProcessState().WaveOut;
    PlayerProcessState().WaveOut = {FakeOpen, FakeWrite, FakeClose};
    calls = TWaveCalls{};
  }
  void TearDown() override {
    TPlayerProcessState& state = PlayerProcessState();
    state.WaveOut = saved_;
    state.SoundOn = true;
    state.Volume = 100;
    PlayerHooks::TearDown();
  }

  MMRESULT Open(LPHWAVEOUT device, const WAVEFORMATEX* format, DWORD flags) {
    return Call<MMRESULT (*)(LPHWAVEOUT, UINT, LPCWAVEFORMATEX, DWORD)>("CallWaveOutOpen")(device, WAVE_MAPPER, format,
                                                                                         flags);
  }
  MMRESULT Write(HWAVEOUT device, WAVEHDR* header) {
    return Call<MMRESULT (*)(HWAVEOUT, LPWAVEHDR)>("CallWaveOutWrite")(device, header);
  }
  MMRESULT Close(HWAVEOUT device) { return Call<MMRESULT (*)(HWAVEOUT)>("CallWaveOutClose")(device); }

  static inline const HWAVEOUT kDevice = reinterpret_cast<HWAVEOUT>(0x5A5A);

private:
  // Whether a second thread gets the sound lock right now.
  static bool SoundLockFreeForAnotherThread() {
    bool taken = false;
    std::thread other([&] {
      if (PlayerProcessState().SoundLock->try_lock()) {
        taken = true;
        PlayerProcessState().SoundLock->unlock();
      }
    });
    other.join();
    return taken;
  }
  static MMRESULT WINAPI FakeOpen(LPHWAVEOUT device, UINT, LPCWAVEFORMATEX, DWORD_PTR, DWORD_PTR, DWORD flags) {
    ++calls.Opened;
    calls.OpenFlags = flags;
    calls.LockFreeEachTime &= SoundLockFreeForAnotherThread();
    if (device) *device = kDevice;
    return MMSYSERR_NOERROR;
  }
  static MMRESULT WINAPI FakeWrite(HWAVEOUT, LPWAVEHDR header, UINT) {
    ++calls.Written;
    calls.LockFreeEachTime &= SoundLockFreeForAnotherThread();
    const auto* samples = reinterpret_cast<const std::int16_t*>(header->lpData);
    calls.WrittenSamples.assign(samples, samples + header->dwBufferLength / 2);
    return MMSYSERR_NOERROR;
  }
  static MMRESULT WINAPI FakeClose(HWAVEOUT) {
    ++calls.Closed;
    calls.LockFreeEachTime &= SoundLockFreeForAnotherThread();
    return MMSYSERR_NOERROR;
  }

  TPlayerProcessState::TWaveOutFunctions saved_;
};

TEST_F(PlayerSoundHooks, SystemWaveCallsRunWithoutTheSoundLock) {
  WAVEFORMATEX format{WAVE_FORMAT_PCM, 1, 22050, 44100, 2, 16, 0};
  HWAVEOUT device = nullptr;
  ASSERT_EQ(Open(&device, &format, CALLBACK_NULL), MMSYSERR_NOERROR);
  std::int16_t samples[4] = {};
  WAVEHDR header{};
  header.lpData = reinterpret_cast<LPSTR>(samples);
  header.dwBufferLength = sizeof samples;
  EXPECT_EQ(Write(device, &header), MMSYSERR_NOERROR);
  EXPECT_EQ(Close(device), MMSYSERR_NOERROR);
  EXPECT_EQ(calls.Opened + calls.Written + calls.Closed, 3);
  EXPECT_TRUE(calls.LockFreeEachTime) << "a device callback on another thread would wait for the sound lock";
}

// The data that reaches the system, by sound state and volume, for a
// device opened with 16-bit samples.
TEST_F(PlayerSoundHooks, WaveDataIsPassedScaledOrSilencedBySoundStateAndVolume) {
  const struct {
    bool SoundOn;
    int Volume;
    std::vector<std::int16_t> Expected;
  } cases[] = {
      {true, 100, {1000, -1000, 7, 0}},
      {true, 50, {500, -500, 3, 0}},
      {false, 100, {0, 0, 0, 0}},
  };
  WAVEFORMATEX format{WAVE_FORMAT_PCM, 1, 22050, 44100, 2, 16, 0};
  HWAVEOUT device = nullptr;
  ASSERT_EQ(Open(&device, &format, CALLBACK_NULL), MMSYSERR_NOERROR);
  for (const auto& sound : cases) {
    SCOPED_TRACE(std::to_string(sound.SoundOn) + " " + std::to_string(sound.Volume));
    PlayerProcessState().SoundOn = sound.SoundOn;
    PlayerProcessState().Volume = sound.Volume;
    std::int16_t samples[4] = {1000, -1000, 7, 0};
    WAVEHDR header{};
    header.lpData = reinterpret_cast<LPSTR>(samples);
    header.dwBufferLength = sizeof samples;
    ASSERT_EQ(Write(device, &header), MMSYSERR_NOERROR);
    EXPECT_EQ(calls.WrittenSamples, sound.Expected);
  }
}

// A format query opens nothing and passes no handle: it reaches the system
// as asked and leaves no device behind.
TEST_F(PlayerSoundHooks, AFormatQueryPassesThroughAndRecordsNoDevice) {
  WAVEFORMATEX format{WAVE_FORMAT_PCM, 1, 22050, 44100, 2, 16, 0};
  EXPECT_EQ(Open(nullptr, &format, WAVE_FORMAT_QUERY), MMSYSERR_NOERROR);
  EXPECT_EQ(calls.Opened, 1);
  EXPECT_EQ(calls.OpenFlags, static_cast<DWORD>(WAVE_FORMAT_QUERY));
  EXPECT_FALSE(PlayerProcessState().WaveDevices->Find(0).has_value());
}

// A device callback runs inside waveOutOpen and waveOutClose on the calling
// thread, so under the sound lock, and may call the wave functions again.
TEST_F(PlayerHooks, WaveHooksCanBeCalledAgainByTheThreadHoldingTheSoundLock) {
  struct TCallback {
    MMRESULT (*Close)(HWAVEOUT);
    static DWORD WINAPI Run(LPVOID self) {
      std::lock_guard holding(*PlayerProcessState().SoundLock);
      static_cast<TCallback*>(self)->Close(nullptr);
      return 0;
    }
  } callback{Call<MMRESULT (*)(HWAVEOUT)>("CallWaveOutClose")};
  HANDLE thread = CreateThread(nullptr, 0, TCallback::Run, &callback, 0, nullptr);
  ASSERT_NE(thread, nullptr);
  const DWORD waited = WaitForSingleObject(thread, 5000);
  if (waited != WAIT_OBJECT_0) TerminateThread(thread, 1);
  CloseHandle(thread);
  EXPECT_EQ(waited, WAIT_OBJECT_0) << "the second wave call waited for the sound lock its own thread holds";
}

TEST(PlayerSound, ScalingKeepsSilenceAndHalvesAmplitude) {
  std::uint8_t bytes[] = {128, 228, 28};
  hooks::ScaleSamples(bytes, sizeof bytes, 1, 50);
  EXPECT_EQ(bytes[0], 128);
  EXPECT_EQ(bytes[1], 178);
  EXPECT_EQ(bytes[2], 78);
  std::int16_t words[] = {0, 1000, -1000, 7};
  hooks::ScaleSamples(reinterpret_cast<std::uint8_t*>(words), 7, 2, 50);  // odd length: the last byte is no sample
  EXPECT_EQ(words[1], 500);
  EXPECT_EQ(words[2], -500);
  EXPECT_EQ(words[3], 7);
  std::int16_t untouched[] = {1000};
  hooks::ScaleSamples(reinterpret_cast<std::uint8_t*>(untouched), 2, 2, 100);
  EXPECT_EQ(untouched[0], 1000);
}

TEST_F(PlayerHooks, FileCallsReachTheSystemThroughTheContentManager) {
  wchar_t folder[MAX_PATH], path[MAX_PATH];
  GetTempPathW(MAX_PATH, folder);
  GetTempFileNameW(folder, L"vph", 0, path);
  {
    HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, "hello hooks", 11, &written, nullptr);
    CloseHandle(file);
  }
  char ansiPath[MAX_PATH];
  WideCharToMultiByte(CP_ACP, 0, path, -1, ansiPath, MAX_PATH, nullptr, nullptr);
  const HANDLE opened[] = {Call<HANDLE (*)(LPCSTR)>("CallCreateFileA")(ansiPath),
                           Call<HANDLE (*)(LPCWSTR)>("CallCreateFileW")(path)};
  for (HANDLE file : opened) {
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    EXPECT_EQ(Call<DWORD (*)(HANDLE, LPDWORD)>("CallGetFileSize")(file, nullptr), 11u);
    LARGE_INTEGER size{};
    EXPECT_TRUE(Call<BOOL (*)(HANDLE, PLARGE_INTEGER)>("CallGetFileSizeEx")(file, &size));
    EXPECT_EQ(size.QuadPart, 11);
    EXPECT_EQ(Call<DWORD (*)(HANDLE, LONG, DWORD)>("CallSetFilePointer")(file, 6, FILE_BEGIN), 6u);
    char text[8] = {};
    DWORD read = 0;
    EXPECT_TRUE(Call<BOOL (*)(HANDLE, LPVOID, DWORD, LPDWORD)>("CallReadFile")(file, text, 5, &read));
    EXPECT_EQ(std::string(text, read), "hooks");
    LARGE_INTEGER position{};
    EXPECT_TRUE(Call<BOOL (*)(HANDLE, LONGLONG, PLARGE_INTEGER, DWORD)>("CallSetFilePointerEx")(file, -5, &position, FILE_END));
    EXPECT_EQ(position.QuadPart, 6);
    EXPECT_TRUE(Call<BOOL (*)(HANDLE)>("CallCloseHandle")(file));
  }
  DeleteFileW(path);
}

// Every content-manager body raises: each hook answers with its function's
// own failure value and nothing reaches the module.
class TRaisingContentManager : public TContentManager {
public:
  HRESULT CreateMoniker(IMoniker*, LPCWSTR, IMoniker**) override { throw std::runtime_error("moniker"); }
  HANDLE OpenFile(LPCWSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD, HANDLE) override { throw std::bad_alloc(); }
  HANDLE OpenFileAnsi(LPCSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD, HANDLE) override { throw 1; }
  BOOL ReadFile(HANDLE, LPVOID, DWORD, LPDWORD, LPOVERLAPPED) override { throw std::runtime_error("read"); }
  BOOL CloseHandle(HANDLE) override { throw std::runtime_error("close"); }
  DWORD GetFileSize(HANDLE, LPDWORD) override { throw std::runtime_error("size"); }
  BOOL GetFileSizeEx(HANDLE, PLARGE_INTEGER) override { throw std::runtime_error("size"); }
  DWORD SetFilePointer(HANDLE, LONG, PLONG, DWORD) override { throw std::runtime_error("seek"); }
  BOOL SetFilePointerEx(HANDLE, LARGE_INTEGER, PLARGE_INTEGER, DWORD) override { throw std::runtime_error("seek"); }
};

TEST_F(PlayerHooks, AContentManagerThatRaisesGivesEachFunctionsFailureValue) {
  TRaisingContentManager raising;
  SetProcessContentManager(&raising);
  const auto file = reinterpret_cast<HANDLE>(0x1234);
  IMoniker* moniker = reinterpret_cast<IMoniker*>(1);
  EXPECT_TRUE(FAILED(Call<HRESULT (*)(IMoniker*, LPCWSTR, IMoniker**)>("CallCreateURLMoniker")(nullptr, L"a.swf", &moniker)));
  EXPECT_EQ(moniker, nullptr);
  EXPECT_EQ(Call<HANDLE (*)(LPCSTR)>("CallCreateFileA")("a.swf"), INVALID_HANDLE_VALUE);
  EXPECT_EQ(Call<HANDLE (*)(LPCWSTR)>("CallCreateFileW")(L"a.swf"), INVALID_HANDLE_VALUE);
  char buffer[4];
  DWORD read = 0;
  EXPECT_FALSE(Call<BOOL (*)(HANDLE, LPVOID, DWORD, LPDWORD)>("CallReadFile")(file, buffer, 4, &read));
  EXPECT_FALSE(Call<BOOL (*)(HANDLE)>("CallCloseHandle")(file));
  EXPECT_EQ(Call<DWORD (*)(HANDLE, LPDWORD)>("CallGetFileSize")(file, nullptr), INVALID_FILE_SIZE);
  LARGE_INTEGER size{};
  EXPECT_FALSE(Call<BOOL (*)(HANDLE, PLARGE_INTEGER)>("CallGetFileSizeEx")(file, &size));
  EXPECT_EQ(Call<DWORD (*)(HANDLE, LONG, DWORD)>("CallSetFilePointer")(file, 6, FILE_BEGIN), INVALID_SET_FILE_POINTER);
  EXPECT_FALSE(Call<BOOL (*)(HANDLE, LONGLONG, PLARGE_INTEGER, DWORD)>("CallSetFilePointerEx")(file, 0, &size, FILE_END));
  SetProcessContentManager(PlayerProcessState().ContentManager.get());
}

TEST_F(PlayerHooks, UrlMonikersComeFromTheSystem) {
  CoInitialize(nullptr);
  IMoniker* moniker = reinterpret_cast<IMoniker*>(1);
  const wchar_t url[] = L"http://player.invalid/movies/a.swf";
  ASSERT_EQ(Call<HRESULT (*)(IMoniker*, LPCWSTR, IMoniker**)>("CallCreateURLMoniker")(nullptr, url, &moniker), S_OK);
  ASSERT_NE(moniker, nullptr);
  LPOLESTR name = nullptr;
  ASSERT_EQ(moniker->GetDisplayName(nullptr, nullptr, &name), S_OK);
  EXPECT_STREQ(name, url);
  CoTaskMemFree(name);
  moniker->Release();
  CoUninitialize();
}

}  // namespace
}  // namespace vell::player
