// Window settings carried by a book, full screen and the window's keys, on
// real main windows with books written by the test.
#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "HistoryFiles.h"
#include "TestBooks.h"
#include "ULog.h"
#include "UfrmMain.h"
#include "WideText.h"
#include "ui/Application.h"

namespace {

const std::string kMovie = std::string("FWS\x0a\x1e\0\0\0", 8) + std::string(22, '\0');

std::string Config(const std::string& caption, const std::string& mode, const std::string& width,
                   const std::string& height) {
  std::string xml = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<ExeConfig>";
  xml += caption == "-" ? "" : "<ExeCaption>" + caption + "</ExeCaption>";
  xml += "<WindowOpenMode>" + mode + "</WindowOpenMode>";
  xml += "<WindowOpenWidth>" + width + "</WindowOpenWidth>";
  xml += height == "-" ? "" : "<WindowOpenHeight>" + height + "</WindowOpenHeight>";
  return xml + "</ExeConfig>";
}

std::string Utf16Page(const std::wstring& title, bool little) {
  const std::wstring page = L"<html><head><title>" + title + L"</title></head></html>";
  std::string bytes = little ? "\xFF\xFE" : "\xFE\xFF";
  for (wchar_t c : page) {
    const char lo = static_cast<char>(c & 0xFF), hi = static_cast<char>(c >> 8);
    bytes += little ? std::string{lo, hi} : std::string{hi, lo};
  }
  return bytes;
}

// The style word without the bits that the platform keeps for the window's
// state (shown, maximised, siblings clipped).
DWORD Style(TfrmMain& form) {
  return static_cast<DWORD>(GetWindowLongA(form.Handle(), GWL_STYLE)) & ~(WS_VISIBLE | WS_MAXIMIZE | WS_CLIPSIBLINGS);
}

RECT WindowRect(TfrmMain& form) {
  RECT r{};
  GetWindowRect(form.Handle(), &r);
  return r;
}

class WindowSettingsTest : public ::testing::Test {
protected:
  void SetUp() override {
    folder_ = scratch_.Path("");
    ui::Application().OnMessageBox = [this](const std::string& text, const std::string&, UINT) {
      boxes_.push_back(text);
      return IDOK;
    };
    ui::Application().OnException = [this](const std::string& message) { boxes_.push_back(message); };
  }

  void TearDown() override {
    form_.reset();
    TLog4DP::SetLogEnabled(false);
    ui::Application().OnMessageBox = nullptr;
    ui::Application().OnException = nullptr;
  }

  TfrmMain& Form() {
    form_.reset();
    form_ = std::make_unique<TfrmMain>(nullptr);
    form_->CommandLineArguments.clear();
    form_->BookBesideExe.clear();
    form_->Historyprojects->SetLocalPath(folder_ + "recents\\");
    form_->Historyprojects->SetIniFile(folder_ + "open.ini");
    form_->SetBounds(30, 40, 700, 500);
    return *form_;
  }

  TfrmMain& ShownForm() {
    TfrmMain& form = Form();
    form.Show();
    ui::Application().ProcessMessages();
    return form;
  }

  std::string Book(const std::string& name, TZipEntries extra) {
    TZipEntries entries{{"book.swf", kMovie}, {"files/book.bin", "bin"}};
    entries.insert(entries.end(), extra.begin(), extra.end());
    const std::string path = folder_ + name + ".vlq";
    WriteStoredZip(path, entries);
    return path;
  }

  const testsupport::TScratchFolder scratch_;
  std::string folder_;
  std::vector<std::string> boxes_;
  std::unique_ptr<TfrmMain> form_;
};

TEST_F(WindowSettingsTest, BooksSetCaptionAndWindowMode) {
  using ui::TWindowState;
  struct Case {
    const char* name;
    TZipEntries entries;
    std::string caption;  // after "Vell Book Reader--"; empty: the book's path
    TWindowState state;
    int width, height;
    bool fullScreen;
  };
  const std::wstring cafe = L"Caf\u00e9 \u00e0 la carte";
  const std::string cafeAnsi = WideToAnsi(cafe);
  const std::string capitals = "<HTML><HEAD><TITLE> Big Book </TITLE></HEAD></HTML>";
  // Settings behind a document type definition: nested entities, a file outside the book.
  auto element = [](const std::string& xml) { return xml.substr(xml.find("<ExeConfig>")); };
  std::string laughs = "<?xml version=\"1.0\"?><!DOCTYPE l [<!ENTITY a \"aaaaaaaaaa\">";
  for (char e = 'b'; e <= 'j'; ++e) {
    laughs += std::string("<!ENTITY ") + e + " \"";
    for (int i = 0; i < 10; ++i) laughs += std::string("&") + static_cast<char>(e - 1) + ";";
    laughs += "\">";
  }
  laughs += "]>" + element(Config("&j;", "1", "1024", "700"));
  const std::string external =
      "<!DOCTYPE ExeConfig SYSTEM \"" + folder_ + "sized.vlq\">" + element(Config("Ext", "1", "1024", "700"));
  const Case cases[] = {
      {"demo", {{"ExeConfig.xml", Config("Demo", "x", "1", "1")}}, "Demo", TWindowState::wsMaximized, 700, 500, false},
      {"empty-caption", {{"ExeConfig.xml", Config("", "1", "1024", "700")}}, "", TWindowState::wsNormal, 700, 500, false},
      {"no-height", {{"ExeConfig.xml", Config("Tall", "1", "1024", "-")}}, "", TWindowState::wsNormal, 700, 500, false},
      {"no-caption", {{"ExeConfig.xml", Config("-", "1", "1024", "700")}}, "", TWindowState::wsNormal, 700, 500, false},
      {"sized", {{"ExeConfig.xml", Config("Sized", "1", "1024", "700")}}, "Sized", TWindowState::wsNormal, 1024, 700, false},
      {"other-mode", {{"ExeConfig.xml", Config("Four", "4", "1024", "700")}}, "Four", TWindowState::wsNormal, 700, 500, false},
      {"full", {{"ExeConfig.xml", Config("Full", "3", "1", "1")}}, "Full", TWindowState::wsMaximized, -1, -1, true},
      {"not-xml", {{"ExeConfig.xml", "<ExeConfig><ExeCaption>x</ExeConfig>"}}, "", TWindowState::wsNormal, 700, 500, false},
      {"other-root", {{"ExeConfig.xml", "<Config><ExeCaption>x</ExeCaption></Config>"}}, "", TWindowState::wsNormal, 700, 500, false},
      {"mixed-text", {{"ExeConfig.xml", Config("A<b/>B", "1", "1024", "700")}}, "", TWindowState::wsNormal, 700, 500, false},
      {"both", {{"index.html", "<title>Html</title>"}, {"ExeConfig.xml", Config("Conf", "0", "1", "1")}}, "Conf",
       TWindowState::wsNormal, 700, 500, false},
      {"capitals", {{"index.html", capitals}}, " Big Book ", TWindowState::wsNormal, 700, 500, false},
      {"lower-name", {{"execonfig.xml", Config("Lower", "1", "1024", "700")}}, "", TWindowState::wsNormal, 700, 500, false},
      {"in-folder", {{"files/ExeConfig.xml", Config("Deep", "1", "1024", "700")}}, "", TWindowState::wsNormal, 700, 500, false},
      {"utf16le", {{"index.html", Utf16Page(cafe, true)}}, cafeAnsi, TWindowState::wsNormal, 700, 500, false},
      {"utf16be", {{"index.html", Utf16Page(cafe, false)}}, cafeAnsi, TWindowState::wsNormal, 700, 500, false},
      {"utf8", {{"index.html", "\xEF\xBB\xBF<title>Caf\xC3\xA9 \xC3\xA0 la carte</title>"}}, cafeAnsi,
       TWindowState::wsNormal, 700, 500, false},
      {"code-page", {{"index.html", "<title>" + cafeAnsi + "</title>"}}, cafeAnsi, TWindowState::wsNormal, 700, 500, false},
      // Definitions are refused before parsing: a billion laughs or a file
      // outside the book applies nothing, at once.
      {"laughs", {{"ExeConfig.xml", laughs}}, "", TWindowState::wsNormal, 700, 500, false},
      {"external", {{"ExeConfig.xml", external}}, "", TWindowState::wsNormal, 700, 500, false},
      {"too-large", {{"ExeConfig.xml", Config("Big", "1", "1024", "700") + std::string(1 << 20, ' ')}}, "",
       TWindowState::wsNormal, 700, 500, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = Book(c.name, c.entries);
    TfrmMain& form = Form();
    ASSERT_TRUE(form.OpenBook(path));
    EXPECT_EQ(form.Caption(), "Vell Book Reader--" + (c.caption.empty() ? path : c.caption));
    EXPECT_EQ(form.WindowState(), c.state);
    EXPECT_EQ(form.InFullScreen(), c.fullScreen);
    if (c.width > 0) {
      EXPECT_EQ(form.Width(), c.width);
      EXPECT_EQ(form.Height(), c.height);
      EXPECT_EQ(form.Left(), 30);
      EXPECT_EQ(form.Top(), 40);
    }
  }
  EXPECT_TRUE(boxes_.empty());
}

// The size a book asks for is fitted to the work area of the window's monitor.
TEST_F(WindowSettingsTest, TheAskedSizeStaysOnTheMonitor) {
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  struct Case {
    const char* name;
    std::string width, height;
    RECT expected;
  };
  const Case cases[] = {
      {"huge", "100000", "100000", work},
      {"negative", "-100", "0", {30, 40, 30 + 320, 40 + 240}},
      {"wider", std::to_string(work.right - work.left - 10).c_str(), "500",
       {work.left + 10, 40, work.right, 540}},  // moved left just enough
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = Book(c.name, {{"ExeConfig.xml", Config(c.name, "1", c.width, c.height)}});
    TfrmMain& form = Form();
    ASSERT_TRUE(form.OpenBook(path));
    EXPECT_EQ(form.Caption(), std::string("Vell Book Reader--") + c.name);
    EXPECT_EQ(form.Left(), c.expected.left);
    EXPECT_EQ(form.Top(), c.expected.top);
    EXPECT_EQ(form.Width(), c.expected.right - c.expected.left);
    EXPECT_EQ(form.Height(), c.expected.bottom - c.expected.top);
  }
  EXPECT_TRUE(boxes_.empty());
}

TEST_F(WindowSettingsTest, OnlyTheExactFullScreenCommandSwitches) {
  TfrmMain& form = ShownForm();
  const std::pair<const wchar_t*, const wchar_t*> ignored[] = {
      {L"fullscreen", L"TRUE"}, {L"fullscreen", L"1"}, {L"FullScreen", L"true"}, {L"fullscreen ", L"true"}};
  for (const auto& [command, args] : ignored) {
    form.PlayerFSCommand(command, args);
    EXPECT_FALSE(form.InFullScreen()) << static_cast<int>(command[0]);
  }
  form.PlayerFSCommand(L"fullscreen", L"true");
  EXPECT_TRUE(form.InFullScreen());
  form.PlayerFSCommand(L"fullscreen", L"False");
  EXPECT_TRUE(form.InFullScreen());
  form.PlayerFSCommand(L"fullscreen", L"false");
  EXPECT_FALSE(form.InFullScreen());
}

TEST_F(WindowSettingsTest, FullScreenCoversTheScreenAndGivesTheWindowBack) {
  TfrmMain& form = ShownForm();
  const RECT before = WindowRect(form);
  ASSERT_EQ(before.right - before.left, 700);

  form.Fullscreen1->Click();
  ui::Application().ProcessMessages();
  const RECT full = WindowRect(form);
  EXPECT_EQ(full.left, 0);
  EXPECT_EQ(full.top, 0);
  EXPECT_EQ(full.right, GetSystemMetrics(SM_CXSCREEN));
  EXPECT_EQ(full.bottom, GetSystemMetrics(SM_CYSCREEN));
  EXPECT_EQ(Style(form), 0x00010000u);
  EXPECT_TRUE(IsWindowVisible(form.Handle()));

  // A second entry changes nothing; one exit brings back the first bounds.
  form.EnterFullScreen();
  form.ExitFullscreen1->Click();
  ui::Application().ProcessMessages();
  const RECT after = WindowRect(form);
  EXPECT_EQ(after.left, before.left);
  EXPECT_EQ(after.top, before.top);
  EXPECT_EQ(after.right, before.right);
  EXPECT_EQ(after.bottom, before.bottom);
  EXPECT_EQ(form.WindowState(), ui::TWindowState::wsNormal);
  EXPECT_TRUE(IsWindowVisible(form.Handle()));
  form.ExitFullScreen();  // already windowed: nothing
  EXPECT_EQ(WindowRect(form).right, before.right);

  // Maximised before, maximised after.
  form.SetWindowState(ui::TWindowState::wsMaximized);
  form.EnterFullScreen();
  form.ExitFullScreen();
  EXPECT_EQ(form.WindowState(), ui::TWindowState::wsMaximized);
  EXPECT_TRUE(IsZoomed(form.Handle()));

  // A window without caption or frame gets both back.
  form.SetWindowState(ui::TWindowState::wsNormal);
  SetWindowLongA(form.Handle(), GWL_STYLE, static_cast<LONG>(WS_POPUP | WS_VISIBLE));
  form.EnterFullScreen();
  form.ExitFullScreen();
  EXPECT_EQ(Style(form) & WS_CAPTION, static_cast<DWORD>(WS_CAPTION));
  EXPECT_EQ(Style(form) & WS_THICKFRAME, static_cast<DWORD>(WS_THICKFRAME));
  EXPECT_EQ(Style(form), 0x00CF0000u);
}

TEST_F(WindowSettingsTest, KeysAreLoggedEscLeavesFullScreenAndThePlayerGetsKeyCodes) {
  const std::string log = folder_ + "keys.log";
  TLog4DP::SetLogFileName(log);
  TLog4DP::SetLogEnabled(true);
  TfrmMain& form = ShownForm();
  struct Delivered {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
  };
  std::vector<Delivered> delivered;
  form.PlayerWindowProc = [&](UINT message, WPARAM wParam, LPARAM lParam) {
    delivered.push_back({message, wParam, lParam});
    return LRESULT{0};
  };

  const RECT before = WindowRect(form);
  SendMessageA(form.Handle(), WM_CHAR, 27, 0);  // windowed: the log line only
  EXPECT_FALSE(form.InFullScreen());
  EXPECT_EQ(WindowRect(form).right, before.right);
  EXPECT_TRUE(delivered.empty());

  form.EnterFullScreen();
  SendMessageA(form.Handle(), WM_KEYDOWN, VK_F11, 0x00570001);
  SendMessageA(form.Handle(), WM_KEYUP, 'A', static_cast<LPARAM>(0xC01E0001));
  SendMessageA(form.Handle(), WM_CHAR, 27, 0);
  EXPECT_FALSE(form.InFullScreen());
  EXPECT_EQ(WindowRect(form).right, before.right);

  ASSERT_EQ(delivered.size(), 2u);
  EXPECT_EQ(delivered[0].message, static_cast<UINT>(WM_KEYDOWN));
  EXPECT_EQ(delivered[0].wParam, static_cast<WPARAM>(VK_F11));
  EXPECT_EQ(delivered[0].lParam, 0);
  EXPECT_EQ(delivered[1].message, static_cast<UINT>(WM_KEYUP));
  EXPECT_EQ(delivered[1].wParam, static_cast<WPARAM>('A'));

  TLog4DP::SetLogEnabled(false);
  std::ifstream file(log, std::ios::binary);
  std::stringstream text;
  text << file.rdbuf();
  const std::string lines = text.str();
  EXPECT_NE(lines.find("FormKeyPress[\x1b]"), std::string::npos) << lines;
  EXPECT_NE(lines.find("FormKeyDown[122]"), std::string::npos) << lines;
  EXPECT_NE(lines.find("FormKeyUp[65]"), std::string::npos) << lines;
}

}  // namespace
