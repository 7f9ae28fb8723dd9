// The host control with the bundled page player in the reader's main window:
// the module loaded by the system from beside the test, and the copy that the
// test program carries and maps itself, as the reader does.
#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "TestBooks.h"
#include "TestMovies.h"
#include "UfrmMain.h"
#include "player/control/PlayerCodeSource.h"
#include "player/subsystem/EmbeddedPlayer.h"
#include "player/subsystem/PlayerCode.h"
#include "ui/Application.h"

namespace vell::player::test {

namespace {

using pageplayer::testing::MovieBytes;
using pageplayer::testing::PageColour;
using pageplayer::testing::PageListFor;
using pageplayer::testing::SolidJpeg;
using pageplayer::testing::TBookFolder;

std::wstring BesideTest(const wchar_t* name) {
  wchar_t path[MAX_PATH];
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path);
  folder.resize(folder.find_last_of(L"\\/") + 1);
  return folder + name;
}

// The module's packed file version, major in the top byte.
std::uint32_t ModuleVersion(const std::wstring& path) {
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
  std::vector<char> data(size);
  VS_FIXEDFILEINFO* info = nullptr;
  UINT length = 0;
  if (!size || !GetFileVersionInfoW(path.c_str(), 0, size, data.data()) ||
      !VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&info), &length))
    return 0;
  return (HIWORD(info->dwFileVersionMS) << 24) | (LOWORD(info->dwFileVersionMS) << 16) |
         (HIWORD(info->dwFileVersionLS) << 8) | LOWORD(info->dwFileVersionLS);
}

bool Near(COLORREF a, COLORREF b) {
  return std::abs(GetRValue(a) - GetRValue(b)) < 24 && std::abs(GetGValue(a) - GetGValue(b)) < 24 &&
         std::abs(GetBValue(a) - GetBValue(b)) < 24;
}

// The window as the screen shows it, as a 24-bit BMP file, for a person to look at.
void SaveWindowPicture(HWND window, const char* path) {
  RECT r;
  GetWindowRect(window, &r);
  const int width = r.right - r.left, height = r.bottom - r.top;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
  GdiFlush();
  const DWORD stride = (width * 3 + 3) & ~3, size = stride * height;
  const DWORD offset = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
  BITMAPFILEHEADER file{0x4D42, offset + size, 0, 0, offset};
  if (FILE* out = fopen(path, "wb")) {
    fwrite(&file, sizeof file, 1, out);
    fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, out);
    fwrite(bits, size, 1, out);
    fclose(out);
  }
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
}

enum class TPlayerSource { LoadedBySystem, MappedFromExecutable };

class BundledPlayerTest : public ::testing::TestWithParam<TPlayerSource> {
protected:
  void SetUp() override {
    ui::Application().OnMessageBox = [](const std::string&, const std::string&, UINT) { return IDOK; };
    ui::Application().OnException = [this](const std::string& message) { errors_.push_back(message); };
    if (GetParam() == TPlayerSource::MappedFromExecutable) {
      static const bool installed = (InstallEmbeddedPlayerCode(), LoadedPlayerVersion() != 0);
      ASSERT_TRUE(installed) << "the test program carries the page player";
      PlayerCodeSource().CreatePlayerObject = [](REFIID id, void** object) { return CreatePlayerObject(id, object); };
      PlayerCodeSource().LoadedPlayerVersion = [] { return LoadedPlayerVersion(); };
      return;
    }
    const std::wstring path = BesideTest(L"pageplayer.dll");
    module_ = LoadLibraryW(path.c_str());
    ASSERT_NE(module_, nullptr) << "pageplayer.dll beside the test";
    using TGetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
    auto getClassObject =
        reinterpret_cast<TGetClassObject>(reinterpret_cast<void*>(GetProcAddress(module_, "DllGetClassObject")));
    ASSERT_NE(getClassObject, nullptr);
    ASSERT_EQ(getClassObject(CLSID_MoviePlayer, IID_IClassFactory, factory_.OutVoid()), S_OK);
    PlayerCodeSource().CreatePlayerObject = [this](REFIID id, void** object) {
      return factory_->CreateInstance(nullptr, id, object);
    };
    const std::uint32_t version = ModuleVersion(path);
    PlayerCodeSource().LoadedPlayerVersion = [version] { return version; };
  }

  void TearDown() override {
    form_.reset();
    PlayerCodeSource() = {};
    factory_.Reset();
    ui::Application().OnMessageBox = nullptr;
    ui::Application().OnException = nullptr;
  }

  TfrmMain& MainWindow() {
    form_ = std::make_unique<TfrmMain>(nullptr);
    form_->CommandLineArguments.clear();
    form_->BookBesideExe.clear();
    form_->Handle();
    form_->OnShow(form_.get());
    ui::Application().ProcessMessages();
    return *form_;
  }

  // Dispatches messages until `done` or the time is up.
  static bool PumpUntil(const std::function<bool()>& done, int milliseconds = 10000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (!done()) {
      if (std::chrono::steady_clock::now() > end) return false;
      ui::Application().ProcessMessages();
      Sleep(10);
    }
    return true;
  }

  // A two-page book in a folder: its movie's path.
  std::wstring WriteBook() {
    book_.Write("book.swf", MovieBytes("FWS", 800, 600));
    book_.Write("files/config.xml", PageListFor(2));
    for (int page = 1; page <= 2; ++page) {
      const COLORREF colour = PageColour(page);
      char name[32];
      snprintf(name, sizeof name, "files/pages/%03d.jpg", page);
      book_.Write(name, SolidJpeg(300, 400, GetRValue(colour), GetGValue(colour), GetBValue(colour)));
    }
    return book_.PathOf("book.swf");
  }

  // The stage's class: the module's own name, or the name under which the
  // reader registers the classes of a module that it maps.
  static bool IsStageClass(const std::wstring& name) {
    if (GetParam() == TPlayerSource::LoadedBySystem) return name == L"PagePlayerStage";
    return name.rfind(L"PlayerControl_PagePlayerStage_", 0) == 0;
  }

  HMODULE module_ = nullptr;
  TComRef<IClassFactory> factory_;
  std::unique_ptr<TfrmMain> form_;
  std::vector<std::string> errors_;
  TBookFolder book_;
};

}  // namespace

TEST_P(BundledPlayerTest, ThePlayersWindowIsTheControlsAndFillsPnlMain) {
  TfrmMain& form = MainWindow();
  TPlayerControl* control = form.PlayerControl1;
  ASSERT_NE(control->OleObject(), nullptr);
  HWND window = control->Handle();
  wchar_t className[64] = {};
  GetClassNameW(window, className, 64);
  EXPECT_TRUE(IsStageClass(className)) << className;
  EXPECT_EQ(GetParent(window), form.pnlMain->Handle());
  for (auto [width, height] : {std::pair{800, 600}, std::pair{500, 420}}) {
    form.SetBounds(0, 0, width, height);
    ui::Application().ProcessMessages();
    RECT r;
    GetWindowRect(window, &r);
    MapWindowPoints(nullptr, form.pnlMain->Handle(), reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 0);
    EXPECT_EQ(r.right, form.pnlMain->ClientWidth());
    EXPECT_EQ(r.bottom, form.pnlMain->ClientHeight());
  }
  EXPECT_TRUE(errors_.empty());
}

TEST_P(BundledPlayerTest, VersionTenCountsAsEightAndPropertiesReachThePlayer) {
  TfrmMain& form = MainWindow();
  TPlayerControl& control = *form.PlayerControl1;
  EXPECT_EQ(control.PlayerVersion() >> 16 & 0xFF, 10);
  EXPECT_EQ(control.PlayerMajorVersion(), 8);
  control.SetBGColor(L"#336699");
  EXPECT_EQ(control.BGColor(), L"#336699");
  control.SetSWRemote(L"remote");
  EXPECT_EQ(control.SWRemote(), L"remote");
  control.SetMovieVars(L"a=1");
  EXPECT_EQ(control.MovieVars(), L"a=1");
  // The module is 10.1.0.0, so AllowFullscreen goes to the player.
  control.SetAllowFullscreen(true);
  EXPECT_TRUE(control.AllowFullscreen());
  control.SetAllowFullscreen(false);
  EXPECT_FALSE(control.AllowFullscreen());
}

TEST_P(BundledPlayerTest, ABookFromAPathShowsItsFirstSpreadWithEventsOnTheWay) {
  TfrmMain& form = MainWindow();
  TPlayerControl& control = *form.PlayerControl1;
  std::vector<int> states;
  control.OnReadyStateChange = [&](ui::TObject*, int state) { states.push_back(state); };
  std::vector<std::wstring> commands;
  control.OnFSCommand = [&](ui::TObject*, const std::wstring& command, const std::wstring& args) {
    commands.push_back(command + L"=" + args);
  };
  form.SetBounds(0, 0, 800, 600);
  form.HideStartupPanel();
  form.Show();
  control.SetMovie(WriteBook());
  ASSERT_TRUE(PumpUntil([&] { return !states.empty() && states.back() == 4; })) << states.size();
  EXPECT_EQ(states.front(), 0);
  EXPECT_EQ(control.GetTotalFrames(), 2);
  PumpUntil([] { return false; }, 300);
  RedrawWindow(form.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  ui::Application().ProcessMessages();

  // Two facing pages on a wide stage: page 1 left of the middle, page 2 right.
  HWND window = control.Handle();
  RECT client;
  GetClientRect(window, &client);
  HDC dc = GetDC(window);
  const COLORREF left = GetPixel(dc, client.right / 2 - client.right / 8, client.bottom / 2);
  const COLORREF right = GetPixel(dc, client.right / 2 + client.right / 8, client.bottom / 2);
  ReleaseDC(window, dc);
  EXPECT_TRUE(Near(left, PageColour(1))) << std::hex << left;
  EXPECT_TRUE(Near(right, PageColour(2))) << std::hex << right;
  if (const char* shot = std::getenv("VELL_HOST_SCREENSHOT")) SaveWindowPicture(form.Handle(), shot);

  // F11 asks for full screen: the command first, then its argument.
  SendMessageA(window, WM_KEYDOWN, VK_F11, 0);
  ASSERT_TRUE(PumpUntil([&] { return !commands.empty(); }, 2000));
  EXPECT_EQ(commands.front(), L"fullscreen=true");
  form.Hide();
}

INSTANTIATE_TEST_SUITE_P(BothWays, BundledPlayerTest,
                         ::testing::Values(TPlayerSource::LoadedBySystem, TPlayerSource::MappedFromExecutable),
                         [](const ::testing::TestParamInfo<TPlayerSource>& info) {
                           return info.param == TPlayerSource::LoadedBySystem ? "LoadedBySystem"
                                                                              : "MappedFromExecutable";
                         });

}  // namespace vell::player::test
