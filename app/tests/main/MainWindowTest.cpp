// The main window in process: first show, the book check, closing, the
// start-up panel and the menu, with message boxes and error reports caught.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <utility>

#include <windows.h>
#include <shlobj.h>

#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "ForwardingPlatform.h"
#include "HistoryFiles.h"
#include "Platform.h"
#include "TestBooks.h"
#include "UFrameStartup.h"
#include "UfrmGoToPage.h"
#include "ULog.h"
#include "UfrmMain.h"
#include "ZipReader.h"
#include "ui/Application.h"

namespace {

struct ShownBox {
  std::string text, caption;
  UINT flags;
};

const std::string kMovie = std::string("FWS\x0a\x1e\0\0\0", 8) + std::string(22, '\0');
const std::string kConfig = "<book title=\"t\"><page src=\"files/pages/001.jpg\"/></book>";

class MainWindowTest : public ::testing::Test {
protected:
  void SetUp() override {
    folder_ = scratch_.Path("");
    valid_ = folder_ + "valid.vlq";
    WriteStoredZip(valid_, {{"book.swf", kMovie}, {"files/config.xml", kConfig}, {"files/book.bin", "bin"}});
    notBook_ = folder_ + "capital.vlq";
    WriteStoredZip(notBook_, {{"Book.swf", kMovie}, {"files/book.bin", "bin"}});
    missing_ = folder_ + "not there.vlq";
    ui::Application().OnMessageBox = [this](const std::string& text, const std::string& caption, UINT flags) {
      boxes_.push_back({text, caption, flags});
      return IDOK;
    };
    ui::Application().OnException = [this](const std::string& message) { errors_.push_back(message); };
  }

  void TearDown() override {
    form_.reset();
    ui::Application().OnMessageBox = nullptr;
    ui::Application().OnException = nullptr;
  }

  // A main window whose first show sees these arguments and this book beside
  // the executable, with its recent list in the test's own folder.
  // Its player is the test's: what the form sets there is recorded in
  // sent_, and it answers with pages_ and currentPage_.
  TfrmMain& Form(std::vector<std::string> arguments = {}, std::string besideExe = {}) {
    form_ = std::make_unique<TfrmMain>(nullptr);
    form_->CommandLineArguments = std::move(arguments);
    form_->BookBesideExe = std::move(besideExe);
    form_->SetPlayerVariable = [this](const std::wstring& name, const std::wstring& value) {
      sent_.emplace_back(name, value);
    };
    form_->GetPlayerVariable = [this](const std::wstring& name) {
      return name == L"currentPage" ? currentPage_ : std::wstring();
    };
    form_->PlayerPageCount = [this] { return pages_; };
    form_->Historyprojects->SetLocalPath(folder_ + "recents\\");
    form_->Historyprojects->SetIniFile(folder_ + "open.ini");
    form_->Historyprojects->UpdateMenu();
    form_->LoadPageLayout();
    return *form_;
  }

  // The window after its first-show handler ran. It stays off the screen:
  // hiding a shown window costs seconds under Xvfb, and the end-to-end tests
  // show the real thing.
  TfrmMain& Shown(std::vector<std::string> arguments = {}, std::string besideExe = {}) {
    TfrmMain& form = Form(std::move(arguments), std::move(besideExe));
    form.Handle();
    form.OnShow(&form);
    ui::Application().ProcessMessages();
    return form;
  }

  static bool StartupPanelShown(TfrmMain& form) {
    return form.pnlStartUp->Visible() && form.FrameStartup1 && form.FrameStartup1->Parent() == form.pnlStartUp;
  }

  void ExpectNotBookBox() {
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].text, "The file you selected is not the VellBook file!");
    EXPECT_EQ(boxes_[0].caption, "Not the VellBook file");
    EXPECT_EQ(boxes_[0].flags, static_cast<unsigned>(MB_OK | MB_ICONEXCLAMATION));
  }

  const testsupport::TScratchFolder scratch_;
  std::string folder_, valid_, notBook_, missing_;
  std::vector<ShownBox> boxes_;
  std::vector<std::string> errors_;
  std::vector<std::pair<std::wstring, std::wstring>> sent_;
  int pages_ = 12;
  std::wstring currentPage_ = L"1";
  std::unique_ptr<TfrmMain> form_;
};

TEST_F(MainWindowTest, FirstShowOpensOnlyABookNamedAfterTheSwitch) {
  std::string asZip = folder_ + "valid.zip";
  CopyFileA(valid_.c_str(), asZip.c_str(), FALSE);
  struct Case {
    std::vector<std::string> args;
    bool opens;
  };
  const Case cases[] = {
      {{}, false},
      {{valid_}, false},
      {{"-s" + asZip}, false},
      {{"-S" + valid_}, true},
      {{"-s" + valid_, "-s" + notBook_}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args.empty() ? std::string("(no argument)") : c.args[0]);
    TfrmMain& form = Shown(c.args);
    EXPECT_EQ(StartupPanelShown(form), !c.opens);
    EXPECT_EQ(form.Caption(), c.opens ? "Vell Book Reader--" + valid_ : std::string("Vell Reader"));
    EXPECT_EQ(form.ZipReader() != nullptr, c.opens);
    EXPECT_TRUE(boxes_.empty());
  }
}

TEST_F(MainWindowTest, NotABookAtStartShowsTheBoxThenTheStartupPanel) {
  std::string text = folder_ + "text.vlq", empty = folder_ + "empty.vlq", movieOnly = folder_ + "movie.vlq";
  testsupport::WriteFile(text, "plain text, no archive\r\n");
  testsupport::WriteFile(empty, "");
  WriteStoredZip(movieOnly, {{"book.swf", kMovie}, {"content/files/config.xml", kConfig}});
  for (const std::string& path : {notBook_, text, empty, movieOnly}) {
    SCOPED_TRACE(path);
    boxes_.clear();
    TfrmMain& form = Shown({"-s" + path});
    ExpectNotBookBox();
    EXPECT_TRUE(StartupPanelShown(form));
    EXPECT_EQ(form.Caption(), "Vell Book Reader--" + path);
    EXPECT_TRUE(form.Historyprojects->Files().empty());
  }
}

TEST_F(MainWindowTest, BookBesideTheExecutableWinsAndEmptiesTheMenuBar) {
  TfrmMain& form = Shown({"-s" + notBook_}, valid_);
  EXPECT_EQ(form.Caption(), "Vell Book Reader--" + valid_);
  EXPECT_FALSE(StartupPanelShown(form));
  EXPECT_EQ(GetMenuItemCount(GetMenu(form.Handle())), 0);
  EXPECT_TRUE(boxes_.empty());

  // A bundled file that is no book still leaves the menus hidden.
  TfrmMain& rejected = Shown({}, notBook_);
  ExpectNotBookBox();
  EXPECT_TRUE(StartupPanelShown(rejected));
  EXPECT_EQ(GetMenuItemCount(GetMenu(rejected.Handle())), 0);

  // A folder of that name is no book beside the executable: the command line decides.
  const std::string folder = folder_ + "folder.vlq";
  CreateDirectoryA(folder.c_str(), nullptr);
  boxes_.clear();
  TfrmMain& ordinary = Shown({"-s" + valid_}, folder);
  EXPECT_EQ(ordinary.Caption(), "Vell Book Reader--" + valid_);
  EXPECT_EQ(GetMenuItemCount(GetMenu(ordinary.Handle())), 3);
  EXPECT_TRUE(boxes_.empty());
  EXPECT_TRUE(errors_.empty());
}

TEST_F(MainWindowTest, MissingBookAtStartIsReportedAndTheWindowGoesOn) {
  TfrmMain& form = Shown({"-s" + missing_});
  ASSERT_EQ(errors_.size(), 1u);
  EXPECT_NE(errors_[0].find("not there.vlq"), std::string::npos) << errors_[0];
  EXPECT_TRUE(boxes_.empty());
  EXPECT_TRUE(StartupPanelShown(form));
  // Still usable: a book opens afterwards.
  EXPECT_TRUE(form.OpenBook(valid_));
}

TEST_F(MainWindowTest, ArchiveErrorsFromTheMenuReachTheDefaultReport) {
  TfrmMain& form = Shown();
  EXPECT_ANY_THROW(form.OpenBook(missing_));
  EXPECT_NE(form.ZipReader(), nullptr);  // the new reader stays current
  EXPECT_EQ(form.Caption(), "Vell Book Reader--" + missing_);

  // Chosen through File/Open, the error lands in the default report and the
  // window goes on.
  form.ChooseBookFile = [this] { return std::optional<std::string>(missing_); };
  HMENU file = GetSubMenu(GetMenu(form.Handle()), 0);
  SendMessageA(form.Handle(), WM_COMMAND, MAKEWPARAM(GetMenuItemID(file, 0), 0), 0);
  ASSERT_EQ(errors_.size(), 1u);
  EXPECT_NE(errors_[0].find("not there.vlq"), std::string::npos) << errors_[0];
  form.ChooseBookFile = [this] { return std::optional<std::string>(valid_); };
  SendMessageA(form.Handle(), WM_COMMAND, MAKEWPARAM(GetMenuItemID(file, 0), 0), 0);
  EXPECT_EQ(form.Caption(), "Vell Book Reader--" + valid_);
}

// The archive reader yields to the message loop while it loads; a command
// waiting there may close or replace the book whose directory is loading.
TEST_F(MainWindowTest, CommandsHandledWhileADirectoryLoadsHaveTheLastWord) {
  std::string second = folder_ + "second.vlq";
  WriteStoredZip(second, {{"book.swf", kMovie}, {"files/book.bin", "bin"}});
  TfrmMain& form = Shown();
  HMENU file = GetSubMenu(GetMenu(form.Handle()), 0);

  PostMessageA(form.Handle(), WM_COMMAND, MAKEWPARAM(GetMenuItemID(file, 1), 0), 0);  // File/Close
  EXPECT_FALSE(form.OpenBook(valid_));
  EXPECT_EQ(form.ZipReader(), nullptr);
  EXPECT_TRUE(StartupPanelShown(form));

  form.ChooseBookFile = [second] { return std::optional<std::string>(second); };
  PostMessageA(form.Handle(), WM_COMMAND, MAKEWPARAM(GetMenuItemID(file, 0), 0), 0);  // File/Open
  EXPECT_FALSE(form.OpenBook(valid_));
  ASSERT_NE(form.ZipReader(), nullptr);
  EXPECT_EQ(form.ZipReader()->ZipName(), second);
  EXPECT_EQ(form.Caption(), "Vell Book Reader--" + second);
  EXPECT_FALSE(StartupPanelShown(form));
  EXPECT_EQ(form.Historyprojects->Files(), std::vector<std::string>{second});

  // Extraction yields too, before each block it reads.
  std::string large = folder_ + "large.vlq";
  WriteStoredZip(large, {{"book.swf", kMovie}, {"files/book.bin", std::string(200000, 'b')}});
  ASSERT_TRUE(form.OpenBook(large));
  file = GetSubMenu(GetMenu(form.Handle()), 0);  // the recent list rebuilt the menu
  PostMessageA(form.Handle(), WM_COMMAND, MAKEWPARAM(GetMenuItemID(file, 1), 0), 0);  // File/Close
  form.ExtractEntry("files/book.bin");
  EXPECT_EQ(form.ZipReader(), nullptr);
  EXPECT_TRUE(StartupPanelShown(form));
  EXPECT_TRUE(boxes_.empty());
  EXPECT_TRUE(errors_.empty());
}

// The movie is read in full while the book opens: a book whose movie cannot
// be read is not shown.
TEST_F(MainWindowTest, ADamagedMovieStopsTheOpening) {
  std::string damaged = folder_ + "damaged.vlq";
  WriteStoredZip(damaged, {{"book.swf", kMovie}, {"files/book.bin", "bin"}});
  // Announce a movie far longer than the file, in the local and the central record.
  std::string bytes = testsupport::ReadFile(damaged);
  const std::string large("\x00\x00\x00\x10", 4);
  bytes.replace(18, 4, large).replace(22, 4, large);
  const size_t central = bytes.find("PK\x01\x02");
  ASSERT_NE(central, std::string::npos);
  bytes.replace(central + 20, 4, large).replace(central + 24, 4, large);
  testsupport::WriteFile(damaged, bytes);

  TfrmMain& form = Shown();
  EXPECT_ANY_THROW(form.OpenBook(damaged));
  EXPECT_TRUE(StartupPanelShown(form));
  EXPECT_TRUE(boxes_.empty());
}

// A movie whose bytes fail their CRC is as unreadable as one cut short.
TEST_F(MainWindowTest, AMovieFailingItsCrcStopsTheOpening) {
  std::string damaged = folder_ + "crc.vlq";
  WriteStoredZip(damaged, {{"book.swf", kMovie}, {"files/book.bin", "bin"}});
  std::string bytes = testsupport::ReadFile(damaged);
  const size_t movie = bytes.find(kMovie);
  ASSERT_NE(movie, std::string::npos);
  bytes[movie + kMovie.size() - 1] ^= 0x5A;  // stored, so the flipped byte is the movie's own
  testsupport::WriteFile(damaged, bytes);

  TfrmMain& form = Shown();
  EXPECT_ANY_THROW(form.OpenBook(damaged));
  EXPECT_TRUE(StartupPanelShown(form));
  EXPECT_TRUE(boxes_.empty());
  EXPECT_FALSE(form.ExtractEntryToStream("book.swf", *std::make_unique<TMemoryStream>()));
}

TEST_F(MainWindowTest, RejectedBookKeepsWhatWasShown) {
  TfrmMain& form = Shown({"-s" + valid_});
  ASSERT_FALSE(StartupPanelShown(form));
  EXPECT_FALSE(form.OpenBook(notBook_));
  ExpectNotBookBox();
  EXPECT_EQ(form.Caption(), "Vell Book Reader--" + notBook_);
  EXPECT_FALSE(form.pnlStartUp->Visible());  // visibility unchanged
  ASSERT_NE(form.ZipReader(), nullptr);
  EXPECT_EQ(form.ZipReader()->ZipName(), notBook_);
  ASSERT_EQ(form.Historyprojects->Files().size(), 1u);
  EXPECT_EQ(form.Historyprojects->Files()[0], valid_);
}

TEST_F(MainWindowTest, AcceptedBooksGoToTheTopOfTheRecentList) {
  std::string second = folder_ + "second.vlq";
  WriteStoredZip(second, {{"book.swf", kMovie}, {"files/book.bin", "bin"}});
  TfrmMain& form = Shown();
  EXPECT_TRUE(form.OpenBook(valid_));
  EXPECT_TRUE(form.OpenBook(second));
  std::vector<std::string> expected{second, valid_};
  EXPECT_EQ(form.Historyprojects->Files(), expected);
  EXPECT_GT(form.Recent1->Count(), 0);
}

TEST_F(MainWindowTest, FindBookEntryAndExtraction) {
  TfrmMain& form = Shown();
  EXPECT_EQ(form.FindBookEntry("book.swf"), 0);  // no book yet
  EXPECT_EQ(form.ExtractEntry("book.swf")->Size(), 0);
  ASSERT_TRUE(form.OpenBook(valid_));
  const std::pair<const char*, int> cases[] = {
      {"book.swf", 1}, {"./book.swf", 1}, {"././book.swf", 1}, {"Book.swf", 0},
      {"files/config.xml", 2}, {"./files/config.xml", 2}, {"files\\book.bin", 3}, {"files/", 0},
  };
  for (const auto& [name, index] : cases) EXPECT_EQ(form.FindBookEntry(name), index) << name;

  std::unique_ptr<TMemoryStream> config = form.ExtractEntry("./files/config.xml");
  ASSERT_EQ(config->Size(), static_cast<std::int64_t>(kConfig.size()));
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(config->Memory()), kConfig.size()), kConfig);
  EXPECT_EQ(form.ExtractEntry("files/nothing.jpg")->Size(), 0);
}

// A stream that records its own end: freeing it is what completes a request
// that the process-wide answer took.
class TRecordedStream : public TMemoryStream {
public:
  explicit TRecordedStream(bool& freed) : freed_(freed) {}
  ~TRecordedStream() override { freed_ = true; }

private:
  bool& freed_;
};

TEST_F(MainWindowTest, ResourceRequestsAreAnsweredFromTheBookByExactNameAndSoundBytesOnly) {
  const std::string page(3000, 'p');
  std::string book = folder_ + "pages.vlq";
  WriteStoredZip(book, {{"book.swf", kMovie},
                        {"files/book.bin", "bin"},
                        {"files/page1.jpg", page},
                        {"files/a.jpg", "a"},
                        {"files/damaged.jpg", "intact bytes"}});
  std::string bytes = testsupport::ReadFile(book);
  bytes[bytes.find("intact bytes")] ^= 0x20;  // stored: the entry's own byte, so its CRC fails
  testsupport::WriteFile(book, bytes);

  TfrmMain& form = Shown();
  ASSERT_TRUE(form.OpenBook(book));
  struct TCase {
    const wchar_t* url;
    std::string served;  // empty: declined
  };
  const TCase cases[] = {
      {L"files/book.bin", "bin"},  {L"./files/page1.jpg", page}, {L"./files/Page1.jpg", ""},
      {L"files//a.jpg", ""},       {L"files/a.jpg", "a"},        {L"files/damaged.jpg", ""},
      {L"http://host/files/a.jpg", ""},
  };
  auto text = [](TMemoryStream& stream) {
    return std::string(reinterpret_cast<const char*>(stream.Memory()), static_cast<std::size_t>(stream.Size()));
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(std::string(c.url, c.url + wcslen(c.url)));
    TMemoryStream written;
    form.PlayerControl1LoadExternalResource(nullptr, c.url, &written);
    EXPECT_EQ(text(written), c.served);

    TStream* async = nullptr;
    form.PlayerControl1LoadExternalResourceAsync(nullptr, c.url, async);
    std::unique_ptr<TStream> owned(async);
    EXPECT_EQ(owned != nullptr, !c.served.empty());
    if (owned) {
      EXPECT_EQ(text(static_cast<TMemoryStream&>(*owned)), c.served);
    }

    bool freed = false, handled = false;
    auto* forwarded = new TRecordedStream(freed);
    form.ContentProviderRequest(c.url, forwarded, handled);
    EXPECT_EQ(handled, !c.served.empty());
    EXPECT_EQ(freed, handled);  // taken and completed, or left to the caller
    if (!handled) delete forwarded;

    TMemoryStream untouched;
    bool exHandled = false;
    form.PlayerControl1LoadExternalResourceEx(nullptr, c.url, &untouched, exHandled);
    EXPECT_FALSE(exHandled);
    EXPECT_EQ(untouched.Size(), 0);
  }

  form.actClose->Execute();
  TMemoryStream afterClose;
  form.PlayerControl1LoadExternalResource(nullptr, L"files/book.bin", &afterClose);
  TStream* async = nullptr;
  form.PlayerControl1LoadExternalResourceAsync(nullptr, L"files/book.bin", async);
  bool freed = false, handled = false;
  auto* forwarded = new TRecordedStream(freed);
  form.ContentProviderRequest(L"files/book.bin", forwarded, handled);
  EXPECT_EQ(afterClose.Size(), 0);
  EXPECT_EQ(async, nullptr);
  EXPECT_FALSE(handled);
  EXPECT_FALSE(freed);
  delete forwarded;
  EXPECT_TRUE(errors_.empty());
}

// Whoever reads the log of a page that did not show learns which entry was
// refused and why: its CRC, or a password it lacks.
TEST_F(MainWindowTest, ADeclinedEntryIsNamedInTheLogWithItsReason) {
  std::string book = folder_ + "damaged.vlq";
  WriteStoredZip(book, {{"book.swf", kMovie},
                        {"files/book.bin", "bin"},
                        {"files/pages/bent.jpg", "intact bytes"},
                        {"files/pages/locked.jpg", std::string(40, 'k')}});
  std::string bytes = testsupport::ReadFile(book);
  bytes[bytes.find("intact bytes")] ^= 0x20;
  // The locked entry claims traditional encryption in its local and central record.
  for (std::size_t at = bytes.find("files/pages/locked.jpg"); at != std::string::npos;
       at = bytes.find("files/pages/locked.jpg", at + 1)) {
    if (at >= 30 && bytes.compare(at - 30, 4, "PK\x03\x04") == 0) bytes[at - 30 + 6] |= 1;
    if (at >= 46 && bytes.compare(at - 46, 4, "PK\x01\x02") == 0) bytes[at - 46 + 8] |= 1;
  }
  testsupport::WriteFile(book, bytes);

  const std::string log = folder_ + "trace.txt";
  {
    struct TLogOn {
      explicit TLogOn(const std::string& file) {
        TLog4DP::SetLogFileName(file);
        TLog4DP::SetLogEnabled(true);
      }
      ~TLogOn() {
        TLog4DP::SetLogEnabled(false);
        TLog4DP::SetLogFileName("");
      }
    } logOn(log);
    TfrmMain& form = Shown();
    ASSERT_TRUE(form.OpenBook(book));
    for (const wchar_t* url : {L"files/pages/bent.jpg", L"files/pages/locked.jpg"}) {
      TMemoryStream written;
      form.PlayerControl1LoadExternalResource(nullptr, url, &written);
      EXPECT_EQ(written.Size(), 0);
    }
  }

  const std::string text = testsupport::ReadFile(log);
  for (const char* line : {"Entry [files\\pages\\bent.jpg] fails its CRC check: computed ",
                           "Declined [files/pages/bent.jpg]",
                           "Entry [files\\pages\\locked.jpg] fails its password or authentication check",
                           "Declined [files/pages/locked.jpg]"})
    EXPECT_NE(text.find(line), std::string::npos) << line << "\n" << text;
  EXPECT_TRUE(errors_.empty());
}

// A drop as the shell hands it over: the files' wide paths, each ended by a
// zero, the list by another.
HDROP DropOf(const std::vector<std::string>& paths) {
  std::wstring list;
  for (const std::string& path : paths) list += std::wstring(path.begin(), path.end()) + L'\0';
  list += L'\0';
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + list.size() * sizeof(wchar_t));
  auto* header = static_cast<DROPFILES*>(GlobalLock(memory));
  header->pFiles = sizeof(DROPFILES);
  header->fWide = TRUE;
  std::memcpy(header + 1, list.data(), list.size() * sizeof(wchar_t));
  GlobalUnlock(memory);
  return static_cast<HDROP>(memory);
}

TEST_F(MainWindowTest, ADroppedFileOpensAsIfChosenAndOfSeveralTheFirst) {
  TfrmMain& form = Shown();
  EXPECT_TRUE(GetWindowLongA(form.Handle(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
  std::string second = folder_ + "second.vlq";
  WriteStoredZip(second, {{"book.swf", kMovie}, {"files/book.bin", "bin"}});
  SendMessageA(form.Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(DropOf({second, valid_})), 0);
  ASSERT_NE(form.ZipReader(), nullptr);
  EXPECT_EQ(form.ZipReader()->ZipName(), second);
  EXPECT_FALSE(StartupPanelShown(form));
  EXPECT_TRUE(boxes_.empty());

  std::string text = folder_ + "notes.txt";
  testsupport::WriteFile(text, "plain text, no archive");
  SendMessageA(form.Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(DropOf({text})), 0);
  ExpectNotBookBox();
  EXPECT_EQ(form.Caption(), "Vell Book Reader--" + text);
}

// A key pressed in `window`, as the message loop gets it, with Ctrl held or not.
void PressKey(HWND window, WPARAM key, bool control) {
  BYTE state[256] = {};
  GetKeyboardState(state);
  state[VK_CONTROL] = state[VK_LCONTROL] = control ? 0x80 : 0;
  SetKeyboardState(state);
  PostMessageA(window, WM_KEYDOWN, key, 1);
  ui::Application().ProcessMessages();
  state[VK_CONTROL] = state[VK_LCONTROL] = 0;
  SetKeyboardState(state);
}

TEST_F(MainWindowTest, ShortCutsWorkWithTheFocusInThePlayerOrTheWindowAndShowInTheMenu) {
  TfrmMain& form = Shown({"-s" + valid_});
  form.ChooseBookFile = [this] { return std::optional<std::string>(valid_); };
  for (HWND window : {form.PlayerControl1->Handle(), form.Handle()}) {
    SCOPED_TRACE(window == form.Handle() ? "window" : "player");
    PressKey(window, VK_F11, false);
    EXPECT_TRUE(form.InFullScreen());
    PressKey(window, VK_F11, false);
    EXPECT_FALSE(form.InFullScreen());
    PressKey(window, 'W', true);
    EXPECT_EQ(form.ZipReader(), nullptr);
    EXPECT_TRUE(StartupPanelShown(form));
    PressKey(window, 'W', false);  // a plain letter is no command
    PressKey(form.Handle(), 'O', true);
    ASSERT_NE(form.ZipReader(), nullptr);
    EXPECT_FALSE(StartupPanelShown(form));
  }
  char text[64] = {};
  GetMenuStringA(GetSubMenu(GetMenu(form.Handle()), 0), 0, text, sizeof text, MF_BYPOSITION);
  EXPECT_STREQ(text, "&Open\tCtrl+O");
  EXPECT_TRUE(errors_.empty());
}

TEST_F(MainWindowTest, CloseFreesTheBookAndRebuildsTheStartupPanel) {
  TfrmMain& form = Shown({"-s" + valid_});
  ASSERT_NE(form.ZipReader(), nullptr);
  form.actClose->Execute();
  EXPECT_EQ(form.ZipReader(), nullptr);
  EXPECT_TRUE(StartupPanelShown(form));
  EXPECT_EQ(form.Caption(), "Vell Book Reader--" + valid_);  // left as it was
  // The rebuilt panel offers the book just closed.
  EXPECT_TRUE(form.FrameStartup1->lbRtPJ->Visible());
  EXPECT_EQ(form.FrameStartup1->lbRtPJ->Hint(), valid_);

  // Without a book it runs all the same.
  form.actClose->Execute();
  EXPECT_TRUE(StartupPanelShown(form));
  EXPECT_EQ(form.ZipReader(), nullptr);

  // Showing the window again does not bring back the book of the command line.
  form.OnShow(&form);
  EXPECT_EQ(form.ZipReader(), nullptr);
  EXPECT_TRUE(StartupPanelShown(form));
}

TEST_F(MainWindowTest, OpenDialogChoiceOpensTheBookAndCancelChangesNothing) {
  TfrmMain& form = Shown();
  form.ChooseBookFile = [] { return std::optional<std::string>(); };
  form.actOpen->Execute();
  EXPECT_EQ(form.ZipReader(), nullptr);
  EXPECT_EQ(form.Caption(), "Vell Reader");
  form.ChooseBookFile = [this] { return std::optional<std::string>(valid_); };
  form.actOpen->Execute();
  EXPECT_EQ(form.Caption(), "Vell Book Reader--" + valid_);
  EXPECT_FALSE(StartupPanelShown(form));
}

TEST_F(MainWindowTest, StartupFrameStaysCentredAtEverySize) {
  TfrmMain& form = Shown();
  const std::pair<int, int> sizes[] = {{1000, 800}, {547, 434}, {546, 433}, {400, 300}, {100, 50}};
  for (const auto& [width, height] : sizes) {
    form.SetClientSize(width, height);
    ui::Application().ProcessMessages();
    SCOPED_TRACE(std::to_string(width) + "x" + std::to_string(height));
    ASSERT_EQ(form.pnlStartUp->Width(), form.ClientWidth());
    EXPECT_EQ(form.FrameStartup1->Left(), (form.pnlStartUp->Width() - 547) / 2);
    EXPECT_EQ(form.FrameStartup1->Top(), (form.pnlStartUp->Height() - 434) / 2);
    EXPECT_EQ(form.pnlStartUp->Caption(), "");
  }
  form.SetClientSize(400, 300);
  EXPECT_LT(form.FrameStartup1->Left(), 0);
  EXPECT_LT(form.FrameStartup1->Top(), 0);
}

TEST_F(MainWindowTest, MenuHoldsEveryItemInOrder) {
  TfrmMain& form = Shown();
  std::vector<std::string> menus;
  std::vector<std::vector<std::string>> items;
  ui::TMenuItem* bar = form.mm1->Items();
  for (int i = 0; i < bar->Count(); ++i) {
    menus.push_back(bar->Items(i)->Caption());
    items.emplace_back();
    for (int j = 0; j < bar->Items(i)->Count(); ++j) items.back().push_back(bar->Items(i)->Items(j)->Caption());
  }
  EXPECT_EQ(menus, (std::vector<std::string>{"&File", "Options", "&Help"}));
  EXPECT_EQ(items[0], (std::vector<std::string>{"&Open", "&Close", "-", "Recent files", "-", "Exit"}));
  EXPECT_EQ(items[1], (std::vector<std::string>{"&Fullscreen", "&Exit Fullscreen", "-", "Single page", "Two pages",
                                                "Automatic", "-", "Go to page..."}));
  EXPECT_EQ(items[2], (std::vector<std::string>{"&Contact us", "Keys", "-", "&About"}));
  EXPECT_EQ(GetMenuItemCount(GetMenu(form.Handle())), 3);
  EXPECT_EQ(ui::Application().Title(), "Vell Reader");
}

// The archive reader of the form's books on the real platform, with a yield
// that first runs what a click, key or drop would run from the message loop,
// at the yield where `When` first holds.
class TActingPlatform : public TForwardingPlatform {
public:
  TActingPlatform() : TForwardingPlatform(DefaultArchivePlatform()) {}
  std::function<bool()> When;
  std::function<void()> Act;

  void ProcessMessages() override {
    if (Act && (!When || When())) std::exchange(Act, nullptr)();
    TForwardingPlatform::ProcessMessages();
  }
};

// Close, an Open of another book and a drop, each arriving from the yield
// while the settings or the movie of a book are read, or while a page is
// answered: the work they interrupt ends without a trace, they run after it
// (after an answer, from the message loop, once the player's call returned),
// and the last one has the last word.
TEST_F(MainWindowTest, WhatArrivesDuringAnExtractionRunsAfterItAndHasTheLastWord) {
  const std::string settings =
      "<ExeConfig><ExeCaption>Demo</ExeCaption><WindowOpenMode>0</WindowOpenMode>"
      "<WindowOpenWidth>800</WindowOpenWidth><WindowOpenHeight>600</WindowOpenHeight></ExeConfig>";
  const std::string first = folder_ + "first.vlq", second = folder_ + "second.vlq";
  WriteStoredZip(first, {{"ExeConfig.xml", settings},
                         {"book.swf", kMovie + std::string(100000, 'm')},
                         {"files/book.bin", "bin"},
                         {"files/page.jpg", std::string(100000, 'p')}});
  WriteStoredZip(second, {{"book.swf", kMovie}, {"files/book.bin", "bin"}});
  enum class TWhen { Settings, Movie, Answer };
  enum class TWhat { Close, Open, Drop };
  struct TCase {
    TWhen when;
    TWhat what;
  };
  const TCase cases[] = {
      {TWhen::Settings, TWhat::Close}, {TWhen::Settings, TWhat::Open}, {TWhen::Settings, TWhat::Drop},
      {TWhen::Movie, TWhat::Close},    {TWhen::Movie, TWhat::Open},    {TWhen::Movie, TWhat::Drop},
      {TWhen::Answer, TWhat::Close},   {TWhen::Answer, TWhat::Open},   {TWhen::Answer, TWhat::Drop},
  };
  // Outlives every form's readers.
  TActingPlatform platform;
  for (const TCase& c : cases) {
    SCOPED_TRACE("during " + std::string(c.when == TWhen::Settings ? "the settings" :
                                         c.when == TWhen::Movie ? "the movie" : "an answer") +
                 ": " + (c.what == TWhat::Close ? "close" : c.what == TWhat::Open ? "open" : "drop"));
    DeleteFileA((folder_ + "open.ini").c_str());
    TfrmMain& form = Shown();
    form.Session().Platform = &platform;
    platform.When = nullptr;
    switch (c.what) {
      case TWhat::Close: platform.Act = [&form] { form.actClose->Execute(); }; break;
      case TWhat::Open: platform.Act = [&form, second] { form.OpenBook(second); }; break;
      case TWhat::Drop:
        platform.Act = [&form, second] {
          SendMessageA(form.Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(DropOf({second})), 0);
        };
        break;
    }
    const std::string demo = "Vell Book Reader--Demo";
    if (c.when == TWhen::Settings) {
      // The first yield after the book went to the recent list reads its settings.
      platform.When = [&form] { return !form.Historyprojects->Files().empty(); };
      EXPECT_FALSE(form.OpenBook(first));
      EXPECT_NE(form.Caption(), demo);  // not applied after all
    } else if (c.when == TWhen::Movie) {
      platform.When = [&form, demo] { return form.Caption() == demo; };
      EXPECT_FALSE(form.OpenBook(first));
    } else {
      std::function<void()> act = std::exchange(platform.Act, nullptr);
      ASSERT_TRUE(form.OpenBook(first));
      platform.Act = act;
      TMemoryStream page;
      form.PlayerControl1LoadExternalResource(nullptr, L"files/page.jpg", &page);
      EXPECT_EQ(page.Size(), 0);  // declined: its book went while it was read
      EXPECT_EQ(form.ZipReader(), nullptr);
      EXPECT_FALSE(StartupPanelShown(form)) << "the movie must stay while the player's call runs";
      ui::Application().ProcessMessages();
    }
    EXPECT_EQ(platform.Act, nullptr) << "the action never arrived";
    if (c.what == TWhat::Close) {
      EXPECT_EQ(form.ZipReader(), nullptr);
      EXPECT_TRUE(StartupPanelShown(form));
    } else {
      ASSERT_NE(form.ZipReader(), nullptr);
      EXPECT_EQ(form.ZipReader()->ZipName(), second);
      EXPECT_EQ(form.Caption(), "Vell Book Reader--" + second);
      EXPECT_FALSE(StartupPanelShown(form));
      TMemoryStream bin;
      form.PlayerControl1LoadExternalResource(nullptr, L"files/book.bin", &bin);
      EXPECT_EQ(bin.Size(), 3);
    }
    EXPECT_TRUE(boxes_.empty());
    EXPECT_TRUE(errors_.empty());
    // Still usable: the first book opens whole now.
    ASSERT_TRUE(form.OpenBook(first));
    EXPECT_EQ(form.Caption(), demo);
    TMemoryStream page;
    form.PlayerControl1LoadExternalResource(nullptr, L"files/page.jpg", &page);
    EXPECT_EQ(page.Size(), 100000);
  }
  form_.reset();
}

// The Options menu as the platform shows it: each layout item's bullet, and
// whether Go to page can be chosen.
struct TOptionsState {
  std::vector<bool> checked;  // Single page, Two pages, Automatic
  bool goToPageEnabled = false;
};

TOptionsState OptionsShown(TfrmMain& form) {
  HMENU options = GetSubMenu(GetMenu(form.Handle()), 1);
  TOptionsState state;
  for (ui::TMenuItem* item : {form.SinglePage1, form.TwoPages1, form.Automatic1}) {
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_STATE;
    GetMenuItemInfoW(options, static_cast<UINT>(form.Options1->IndexOf(item)), TRUE, &info);
    EXPECT_TRUE(info.fType & MFT_RADIOCHECK) << item->Caption();
    state.checked.push_back((info.fState & MFS_CHECKED) != 0);
  }
  const UINT goTo = GetMenuState(options, static_cast<UINT>(form.Options1->IndexOf(form.GoToPage1)), MF_BYPOSITION);
  state.goToPageEnabled = !(goTo & MF_GRAYED);
  return state;
}

void ChooseFromMenu(TfrmMain& form, ui::TMenuItem* item) {
  HMENU menu = GetSubMenu(GetMenu(form.Handle()), form.mm1->Items()->IndexOf(item->Parent()));
  SendMessageA(form.Handle(), WM_COMMAND, MAKEWPARAM(GetMenuItemID(menu, item->Parent()->IndexOf(item)), 0), 0);
}

// The choice is the player's to carry out: the form sends it when the window
// is made, when a book opens and when the person changes it, and keeps it
// beside the recent list for the next start.
TEST_F(MainWindowTest, PageLayoutIsCheckedKeptAndSentToThePlayer) {
  const std::string file = folder_ + "view.ini";
  const std::pair<std::wstring, std::wstring> automatic{L"pageLayout", L"auto"};
  TfrmMain& form = Shown();
  EXPECT_EQ(sent_.back(), automatic);  // no file: Automatic
  EXPECT_EQ(OptionsShown(form).checked, (std::vector<bool>{false, false, true}));
  sent_.clear();
  ASSERT_TRUE(form.OpenBook(valid_));
  EXPECT_EQ(sent_, (std::vector<std::pair<std::wstring, std::wstring>>{automatic}));

  struct TCase {
    ui::TMenuItem* TfrmMain::*item;
    const wchar_t* word;
    std::vector<bool> checked;
    TPageLayout layout;
  };
  const TCase cases[] = {
      {&TfrmMain::SinglePage1, L"single", {true, false, false}, TPageLayout::Single},
      {&TfrmMain::TwoPages1, L"two", {false, true, false}, TPageLayout::Two},
      {&TfrmMain::Automatic1, L"auto", {false, false, true}, TPageLayout::Automatic},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(std::string(c.word, c.word + wcslen(c.word)));
    TfrmMain& shown = Shown({"-s" + valid_});
    sent_.clear();
    ChooseFromMenu(shown, shown.*c.item);
    EXPECT_EQ(sent_, (std::vector<std::pair<std::wstring, std::wstring>>{{L"pageLayout", c.word}}));
    EXPECT_EQ(OptionsShown(shown).checked, c.checked);
    // The next window starts with it, and so does its book.
    sent_.clear();
    TfrmMain& next = Shown({"-s" + valid_});
    EXPECT_EQ(next.PageLayout(), c.layout);
    EXPECT_EQ(OptionsShown(next).checked, c.checked);
    ASSERT_FALSE(sent_.empty());
    EXPECT_EQ(sent_.back(), std::make_pair(std::wstring(L"pageLayout"), std::wstring(c.word)));
  }

  // A damaged or foreign file means Automatic.
  for (const std::string& stored : {std::string("\xFF\xFE\x00garbage\x01\x02", 12),
                                    std::string("[View]\r\nPageLayout=sideways\r\n"),
                                    std::string("[Other]\r\nPageLayout=single\r\n")}) {
    testsupport::WriteFile(file, stored);
    sent_.clear();
    TfrmMain& damaged = Shown();
    EXPECT_EQ(damaged.PageLayout(), TPageLayout::Automatic);
    EXPECT_EQ(OptionsShown(damaged).checked, (std::vector<bool>{false, false, true}));
    EXPECT_EQ(sent_.back(), automatic);
  }
  EXPECT_TRUE(errors_.empty());
}

// A player that does not know the choice (an older module) refuses it: the
// book still opens and the menu still holds the choice.
TEST_F(MainWindowTest, APlayerRefusingTheLayoutIsNoError) {
  TfrmMain& form = Shown();
  form.SetPlayerVariable = [](const std::wstring&, const std::wstring&) {
    throw std::runtime_error("not implemented");
  };
  ChooseFromMenu(form, form.TwoPages1);
  EXPECT_TRUE(form.OpenBook(valid_));
  EXPECT_EQ(OptionsShown(form).checked, (std::vector<bool>{false, true, false}));
  EXPECT_TRUE(errors_.empty());
}

TEST_F(MainWindowTest, GoToPageAsksWithinTheBookAndTurnsThere) {
  TfrmMain& form = Shown();
  std::vector<std::pair<int, int>> asked;  // page count and page shown, per box
  std::optional<int> answer;
  form.AskPageNumber = [&](int pageCount, int currentPage) {
    asked.emplace_back(pageCount, currentPage);
    return answer;
  };
  EXPECT_FALSE(OptionsShown(form).goToPageEnabled);
  PressKey(form.Handle(), 'G', true);
  EXPECT_TRUE(asked.empty()) << "no book, nothing to go to";

  ASSERT_TRUE(form.OpenBook(valid_));
  EXPECT_TRUE(OptionsShown(form).goToPageEnabled);
  struct TCase {
    int pages;
    std::wstring current;      // what the player says it shows
    std::optional<int> chosen;  // what the box answers
    std::optional<std::pair<int, int>> box;
    std::optional<std::wstring> turnedTo;
  };
  const TCase cases[] = {
      {12, L"5", 7, std::pair{12, 5}, L"7"},
      {12, L"5", std::nullopt, std::pair{12, 5}, std::nullopt},  // cancelled
      {12, L"40", 12, std::pair{12, 12}, L"12"},                 // prefilled inside the book
      {12, L"", 1, std::pair{12, 1}, L"1"},                      // no page known: the first
      {0, L"1", 1, std::nullopt, std::nullopt},                  // the page list is not in yet
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(std::to_string(c.pages) + " pages, showing " + std::string(c.current.begin(), c.current.end()));
    pages_ = c.pages;
    currentPage_ = c.current;
    answer = c.chosen;
    asked.clear();
    sent_.clear();
    for (HWND window : {form.PlayerControl1->Handle(), form.Handle()}) PressKey(window, 'G', true);
    const std::vector<std::pair<int, int>> boxes = c.box ? std::vector{*c.box, *c.box} : std::vector<std::pair<int, int>>{};
    EXPECT_EQ(asked, boxes);
    std::vector<std::pair<std::wstring, std::wstring>> turns;
    if (c.turnedTo) turns = {{L"currentPage", *c.turnedTo}, {L"currentPage", *c.turnedTo}};
    EXPECT_EQ(sent_, turns);
  }

  // The menu item does what the key does.
  pages_ = 12;
  answer = 3;
  asked.clear();
  sent_.clear();
  ChooseFromMenu(form, form.GoToPage1);
  EXPECT_EQ(asked.size(), 1u);
  EXPECT_EQ(sent_, (std::vector<std::pair<std::wstring, std::wstring>>{{L"currentPage", L"3"}}));

  form.actClose->Execute();
  EXPECT_FALSE(OptionsShown(form).goToPageEnabled);
  asked.clear();
  PressKey(form.Handle(), 'G', true);
  EXPECT_TRUE(asked.empty());
  char text[64] = {};
  GetMenuStringA(GetSubMenu(GetMenu(form.Handle()), 1), static_cast<UINT>(form.Options1->IndexOf(form.GoToPage1)),
                 text, sizeof text, MF_BYPOSITION);
  EXPECT_STREQ(text, "Go to page...\tCtrl+G");
  EXPECT_TRUE(errors_.empty());
}

// The box runs the message loop: whatever arrives there may close the book
// or open another one, and the page chosen is then for a book that is gone.
TEST_F(MainWindowTest, ABookGoneWhileTheGoToPageBoxIsUpIsNotTurned) {
  const std::string second = folder_ + "second.vlq";
  WriteStoredZip(second, {{"book.swf", kMovie}, {"files/book.bin", "bin"}});
  TfrmMain& form = Shown({"-s" + valid_});
  HMENU file = GetSubMenu(GetMenu(form.Handle()), 0);
  const std::function<void()> meanwhile[] = {
      [&] {  // File/Close, as a click would send it
        PostMessageA(form.Handle(), WM_COMMAND, MAKEWPARAM(GetMenuItemID(file, 1), 0), 0);
        ui::Application().ProcessMessages();
      },
      [&] { form.OpenBook(second); },
      [&] { form.OpenBook(valid_); },  // the same book again is another opening
  };
  for (const auto& act : meanwhile) {
    ASSERT_TRUE(form.OpenBook(valid_));
    file = GetSubMenu(GetMenu(form.Handle()), 0);
    int boxes = 0;
    form.AskPageNumber = [&](int, int) {
      ++boxes;
      act();
      PressKey(form.Handle(), 'G', true);  // a second box is not stacked on the first
      return std::optional<int>(4);
    };
    sent_.clear();
    ChooseFromMenu(form, form.GoToPage1);
    EXPECT_EQ(boxes, 1);
    for (const auto& [name, value] : sent_) EXPECT_NE(name, L"currentPage");
  }
  EXPECT_TRUE(boxes_.empty());
  EXPECT_TRUE(errors_.empty());
}

TEST_F(MainWindowTest, HelpKeysListsTheKeysInABox) {
  TfrmMain& form = Shown();
  ChooseFromMenu(form, form.Keys1);
  ASSERT_EQ(boxes_.size(), 1u);
  EXPECT_EQ(boxes_[0].caption, "Keys");
  EXPECT_EQ(boxes_[0].flags, static_cast<unsigned>(MB_OK | MB_ICONINFORMATION));
  for (const char* key : {"Page Down", "Home", "Ctrl+Plus", "Ctrl+0", "Ctrl+G", "Ctrl+O", "Ctrl+W", "F11", "Esc"})
    EXPECT_NE(boxes_[0].text.find(key), std::string::npos) << key;
}

// The box itself, driven by keys as a person would: what is typed replaces
// the page it shows, Enter takes a page of the book only, Esc cancels.
TEST(GoToPageBoxTest, EnterTakesAPageOfTheBookAndEscCancels) {
  struct TCase {
    std::vector<std::string> typed;  // each followed by Enter, then Esc
    std::optional<int> page;
    std::string message;
  };
  const TCase cases[] = {
      {{"7"}, 7, ""},
      {{""}, 5, ""},  // Enter on the page shown
      {{"abc"}, std::nullopt, "Enter a page number from 1 to 12."},
      {{"0", "13", " 12 "}, 12, "Enter a page number from 1 to 12."},
      {{}, std::nullopt, ""},  // Esc at once
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.typed.empty() ? std::string("(Esc)") : c.typed[0]);
    TfrmGoToPage box(nullptr, 12, 5);
    EXPECT_EQ(box.Caption(), "Go to page");
    EXPECT_EQ(box.lblPage->Caption(), "Page (1 - 12):");
    HWND edit = box.edtPage->Handle();
    for (const std::string& text : c.typed) {
      for (char ch : text) PostMessageA(edit, WM_CHAR, static_cast<unsigned char>(ch), 1);
      // A refused number is selected again: what is typed next replaces it.
      PostMessageA(edit, WM_KEYDOWN, VK_RETURN, 1);
    }
    PostMessageA(edit, WM_KEYDOWN, VK_ESCAPE, 1);
    const ui::TModalResult result = box.ShowModal();
    EXPECT_EQ(result, c.page ? ui::mrOk : ui::mrCancel);
    EXPECT_EQ(box.Page(), c.page);
    EXPECT_EQ(box.lblMessage->Caption(), c.message);
    MSG rest;
    while (PeekMessageA(&rest, edit, 0, 0, PM_REMOVE)) {
    }
  }
}

}  // namespace
