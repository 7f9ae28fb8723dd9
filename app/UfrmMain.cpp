#include "UfrmMain.h"

#include <windows.h>
#include <commdlg.h>
#include <shellapi.h>
#include <shlobj.h>

#include "BookCheck.h"
#include "EntryLimits.h"
#include "FlagScope.h"
#include "HistoryFiles.h"
#include "MakerPages.h"
#include "PassOnStream.h"
#include "ResumeFile.h"
#include "SharedRoutines.h"
#include "StartupChoice.h"
#include "UFrameStartup.h"
#include "ULog.h"
#include "UfrmAbout.h"
#include "WindowPlacement.h"
#include "WindowSettings.h"
#include "WideText.h"
#include "ZipReader.h"
#include "player/content/ContentManager.h"
#include "player/content/ProcessContentManager.h"
#include "ui/Application.h"

namespace {

constexpr const char* kNotBookText = "The file you selected is not the VellBook file!";
constexpr const char* kNotBookCaption = "Not the VellBook file";
constexpr UINT kNotBookFlags = 48;  // exclamation icon, one OK button
constexpr const char* kBookCaptionPrefix = "Vell Book Reader--";
constexpr const char* kRecentsFolder = "vellBook\\Reader\\Recents\\";

}  // namespace

std::vector<std::string> ProgramArguments() {
  std::vector<std::string> arguments;
  int count = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
  if (!argv) return arguments;
  // A book named outside the code page comes through as UTF-8.
  for (int i = 1; i < count; ++i) arguments.push_back(WideToText(argv[i]));
  LocalFree(argv);
  return arguments;
}

std::optional<std::string> ShowOpenBookDialog(HWND owner) {
  wchar_t file[MAX_PATH * 4] = {};
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof(ofn);
  ofn.hwndOwner = owner;
  ofn.lpstrFilter = L"Vell Book Files\0*.zip;*.vlq\0All Files\0*.*\0";
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = file;
  ofn.nMaxFile = MAX_PATH * 4;
  ofn.lpstrDefExt = L"vlq";
  ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_ENABLESIZING;
  if (!GetOpenFileNameW(&ofn)) return std::nullopt;
  return WideToText(file);
}

TfrmMain::TfrmMain(ui::TComponent* owner) : ui::TForm(owner) {
  Name = "frmMain";
  SetCaption("Vell Reader");
  SetBounds(0, 0, 800, 600);
  SetPosition(ui::TPosition::poScreenCenter);
  Font().SetName("MS Sans Serif");
  Font().SetHeight(-11);

  pnlMain = new ui::TPanel(this);
  pnlMain->Name = "pnlMain";
  pnlMain->SetBevelOuter(ui::TBevelCut::bvNone);
  pnlMain->SetCaption("");
  pnlMain->SetParent(this);
  pnlMain->SetAlign(ui::TAlign::alClient);

  pnlStartUp = new ui::TPanel(this);
  pnlStartUp->Name = "pnlStartUp";
  pnlStartUp->SetBevelOuter(ui::TBevelCut::bvNone);
  pnlStartUp->SetCaption("pnlStartUp");
  pnlStartUp->SetParent(this);
  pnlStartUp->SetAlign(ui::TAlign::alClient);
  pnlStartUp->OnResize = [this](ui::TObject* sender) { pnlStartUpResize(sender); };

  ActionList1 = new ui::TActionList(this);
  ActionList1->Name = "ActionList1";
  actOpen = ActionList1->Add("actOpen", "&Open");
  actOpen->OnExecute = [this](ui::TObject* sender) { actOpenExecute(sender); };
  actClose = ActionList1->Add("actClose", "&Close");
  actClose->OnExecute = [this](ui::TObject* sender) { actCloseExecute(sender); };

  BuildMenu();
  BindFullScreenHandlers();
  BindShortCuts();
  BindPageView();

  Historyprojects = new THistoryFiles(this);
  Historyprojects->Name = "Historyprojects";
  Historyprojects->SetMaxItems(20);
  Historyprojects->SetSeparator(TSeparatorStyle::sepBoth);
  Historyprojects->SetParentMenu(Recent1);
  Historyprojects->SetPosition(0);
  Historyprojects->OnClickHistoryItem = [this](ui::TObject* sender, ui::TMenuItem* item, const std::string& file) {
    HistoryprojectsClickHistoryItem(sender, item, file);
  };

  session_ = std::make_unique<TBookSession>(
      [this] { return ReadResumeFile(ResumeFileBeside(Historyprojects->IniFile())); },
      [this](const TResumePages& pages) { WriteResumeFile(ResumeFileBeside(Historyprojects->IniFile()), pages); });
  session_->Platform = &archiveYield_;
  session_->ShowMessage = [](const std::string& text, const std::string& caption, unsigned flags) {
    return ui::Application().MessageBox(text, caption, flags);
  };
  answers_ = std::make_unique<TResourceAnswers>(*session_);

  CreateStartupFrame();
  FrameStartup1->Label16->OnClick = [this](ui::TObject* sender) { FrameStartup1Label16Click(sender); };

  CommandLineArguments = ProgramArguments();
  BookBesideExe = PathBesideExe(FileNameWithoutExt(ExecutablePath()) + ".vlq");
  ChooseBookFile = [this] { return ShowOpenBookDialog(Handle()); };
  OnShow = [this](ui::TObject* sender) { FormShow(sender); };

  FormCreate();
}

TfrmMain::~TfrmMain() {
  BeginDestroy();
  FormDestroy();
}

ui::TMenuItem* TfrmMain::AddMenuItem(ui::TMenuItem* parent, const std::string& name, const std::string& caption) {
  auto* item = new ui::TMenuItem(this);
  item->Name = name;
  item->SetCaption(caption);
  parent->Add(item);
  return item;
}

void TfrmMain::BuildMenu() {
  mm1 = new ui::TMainMenu(this);
  mm1->Name = "mm1";
  ui::TMenuItem* bar = mm1->Items();

  File1 = AddMenuItem(bar, "File1", "&File");
  Open1 = AddMenuItem(File1, "Open1", "");
  Open1->SetAction(actOpen);
  Close1 = AddMenuItem(File1, "Close1", "");
  Close1->SetAction(actClose);
  AddMenuItem(File1, "N1", "-");
  Recent1 = AddMenuItem(File1, "Recent1", "Recent files");
  AddMenuItem(File1, "N2", "-");
  Exit1 = AddMenuItem(File1, "Exit1", "Exit");
  Exit1->OnClick = [this](ui::TObject* sender) { Exit1Click(sender); };

  Options1 = AddMenuItem(bar, "Options1", "Options");
  Fullscreen1 = AddMenuItem(Options1, "Fullscreen1", "&Fullscreen");
  ExitFullscreen1 = AddMenuItem(Options1, "ExitFullscreen1", "&Exit Fullscreen");
  AddMenuItem(Options1, "N4", "-");
  SinglePage1 = AddMenuItem(Options1, "SinglePage1", "Single page");
  TwoPages1 = AddMenuItem(Options1, "TwoPages1", "Two pages");
  Automatic1 = AddMenuItem(Options1, "Automatic1", "Automatic");
  AddMenuItem(Options1, "N5", "-");
  GoToPage1 = AddMenuItem(Options1, "GoToPage1", "Go to page...");

  Help1 = AddMenuItem(bar, "Help1", "&Help");
  Help2 = AddMenuItem(Help1, "Help2", "&Contact us");
  Help2->OnClick = [this](ui::TObject* sender) { Help2Click(sender); };
  Keys1 = AddMenuItem(Help1, "Keys1", "Keys");
  AddMenuItem(Help1, "N3", "-");
  About1 = AddMenuItem(Help1, "About1", "&About");
  About1->OnClick = [this](ui::TObject* sender) { About1Click(sender); };

  SetMenu(mm1);
}

void TfrmMain::FormCreate() {
  ui::Application().SetTitle(Caption());
  TLog4DP::Log("Loading book.swf...");

  CreatePlayerControl();
  // Requests for addresses outside the movies filed from memory come here too.
  vell::player::ProcessContentManager().SetGlobalOnLoadExternalResourceEx(
      [this](const std::wstring& url, TStream* stream, bool& handled) { ContentProviderRequest(url, stream, handled); });
  // A request the book cannot answer is declined; the log says which and why.
  vell::player::ProcessContentManager().SetDiagnosticLog([](const std::string& line) { TLog4DP::Log(line); });

  // Recent books. Without an all-users folder they live under the current
  // folder, spelt out in full: the profile functions would look for a relative
  // name in the Windows folder, and folder creation refuses relative paths.
  std::string root = CommonAppDataFolder();
  if (root.empty()) {
    wchar_t current[MAX_PATH + 1] = {};
    if (GetCurrentDirectoryW(MAX_PATH + 1, current) <= MAX_PATH) root = WideToText(current);
  }
  root = AddTrailingBackslash(root);
  const std::string folder = root + kRecentsFolder;
  SHCreateDirectoryExW(nullptr, TextToWide(folder).c_str(), nullptr);
  Historyprojects->SetLocalPath(folder);
  Historyprojects->SetIniFile(folder + "open.ini");
  Historyprojects->SetMaxItems(8);
  Historyprojects->UpdateMenu();
  LoadPageLayout();
}

void TfrmMain::CreatePlayerControl() {
  PlayerControl1 = new vell::player::TPlayerControl(this);
  PlayerControl1->Name = "PlayerControl1";
  // Keys reach the player through the control's own window procedure.
  PlayerWindowProc = [this](UINT message, WPARAM wParam, LPARAM lParam) {
    return PlayerControl1->Perform(message, wParam, lParam);
  };
  SetPlayerHandlers();
  PlayerControl1->SetParent(pnlMain);
  PlayerControl1->SetAlign(ui::TAlign::alClient);
}

void TfrmMain::SetPlayerHandlers() {
  PlayerControl1->OnFSCommand = [this](ui::TObject* sender, const std::wstring& command, const std::wstring& args) {
    PlayerControl1FSCommand(sender, command, args);
  };
  PlayerControl1->OnLoadExternalResource = [this](ui::TObject* sender, const std::wstring& url, TStream* stream) {
    PlayerControl1LoadExternalResource(sender, url, stream);
  };
  PlayerControl1->OnLoadExternalResourceEx = [this](ui::TObject* sender, const std::wstring& url, TStream* stream,
                                                    bool& handled) {
    PlayerControl1LoadExternalResourceEx(sender, url, stream, handled);
  };
  PlayerControl1->OnLoadExternalResourceAsync = [this](ui::TObject* sender, const std::wstring& path,
                                                       TStream*& stream) {
    PlayerControl1LoadExternalResourceAsync(sender, path, stream);
  };
  PlayerControl1->OnReadyStateChange = [this](ui::TObject*, int state) { PlayerReadyStateChanged(state); };
}

void TfrmMain::PlayerControl1FSCommand(ui::TObject*, const std::wstring& command, const std::wstring& args) {
  PlayerFSCommand(command, args);
}

void TfrmMain::FormShow(ui::TObject*) {
  // Only the first show chooses what the window shows; showing it again (after
  // hiding it, or a window-style change) leaves the book that is open alone.
  if (firstShowDone_) return;
  firstShowDone_ = true;
  // An archive error at start (a missing or unreadable file) must not leave
  // the window without its panel: report it, then show the start-up panel.
  try {
    OpenFirstBook();
  } catch (...) {
    ui::Application().HandleException(std::current_exception());
    ShowStartupPanel();
  }
}

void TfrmMain::OpenFirstBook() {
  if (!BookBesideExe.empty() && FileExists(BookBesideExe)) {
    // The bundled book owns the window: no menus for the life of the process.
    File1->SetVisible(false);
    Options1->SetVisible(false);
    Help1->SetVisible(false);
    if (!OpenBook(BookBesideExe)) ShowStartupPanel();
    return;
  }
  std::optional<std::string> book = BookPathFromArguments(CommandLineArguments);
  if (!book) {
    ShowStartupPanel();
    return;
  }
  if (!OpenBook(*book)) ShowStartupPanel();
}

void TfrmMain::FormDestroy() {
  RememberCurrentPage();
  vell::player::ProcessContentManager().SetGlobalOnLoadExternalResourceEx(nullptr);
  vell::player::ProcessContentManager().SetDiagnosticLog(nullptr);
  session_->End();
}

void TfrmMain::CreateStartupFrame() {
  FrameStartup1 = new TFrameStartup(nullptr);
  FrameStartup1->Name = "FrameStartup1";
  FrameStartup1->RecentMenu = Recent1;
  FrameStartup1->OpenBook = [this](const std::string& path) { return OpenBook(path); };
  FrameStartup1->ExecuteOpen = [this] { actOpen->Execute(); };
  FrameStartup1->ShowAbout = [this] { About1Click(About1); };
  FrameStartup1->SetParent(pnlStartUp);
}

void TfrmMain::ShowStartupPanel() {
  delete FrameStartup1;
  FrameStartup1 = nullptr;
  CreateStartupFrame();
  FrameStartup1->FillStartupPanel();
  FrameStartup1->SetAlign(ui::TAlign::alNone);
  pnlStartUp->SetVisible(true);
  pnlStartUp->BringToFront();
  pnlStartUp->SetAlign(ui::TAlign::alClient);
  pnlStartUpResize(pnlStartUp);
  BookShownChanged(false);
}

void TfrmMain::HideStartupPanel() {
  pnlStartUp->SetVisible(false);
  BookShownChanged(true);
}

void TfrmMain::pnlStartUpResize(ui::TObject*) {
  if (FrameStartup1) {
    FrameStartup1->SetBounds(ui::CentredOffset(pnlStartUp->Width(), FrameStartup1->Width()),
                             ui::CentredOffset(pnlStartUp->Height(), FrameStartup1->Height()),
                             FrameStartup1->Width(), FrameStartup1->Height());
  }
  pnlStartUp->SetCaption("");
}

void TfrmMain::actOpenExecute(ui::TObject*) {
  if (!ChooseBookFile) return;
  if (std::optional<std::string> path = ChooseBookFile()) OpenBook(*path);
}

bool TfrmMain::OpenBook(std::string path) { return RunBookCommand({false, std::move(path)}); }

bool TfrmMain::RunBookCommand(TBookCommand command) {
  if (running_ || session_->Answering()) {
    // We are inside the yield of an open or of an answer: it must not go on
    // with a book that is no longer wanted, nor this one interleave with it.
    pending_ = std::move(command);
    session_->End();
    // Below an answer waits the player's own call, which must not see its
    // movie go: the command runs from the message loop once that returned
    // (AnswerEnded).
    return false;
  }
  const TFlagScope running(running_);
  bool shown = false;
  for (bool first = true;; first = false) {
    pending_.reset();
    bool result = false;
    try {
      if (command.Close) CloseNow();
      else result = OpenNow(command.Path);
    } catch (...) {
      // An error of the open that a later command ended is that open's
      // last word, not the person's concern.
      if (!pending_) throw;
    }
    shown = first && result;
    if (!pending_) break;
    command = std::move(*pending_);
  }
  return shown;
}

void TfrmMain::RunPendingBookCommand() {
  if (!pending_ || running_ || session_->Answering()) return;
  TBookCommand command = std::move(*pending_);
  pending_.reset();
  RunBookCommand(std::move(command));
}

bool TfrmMain::OpenNow(const std::string& path) {
  RememberCurrentPage();
  const TBookSession::TGeneration generation = session_->Begin(path);
  const std::shared_ptr<TZipReader> reader = session_->Reader();
  SetBookCaption(path);
  reader->ReadZipDirectory();
  if (!session_->IsCurrent(generation)) return false;
  if (!CheckBook(reader.get()).IsBook()) {
    ShowNotBookMessage();
    return false;
  }
  Historyprojects->AddFile(path);
  ApplyWindowSettings();
  if (!session_->IsCurrent(generation)) return false;
  session_->Resume().BookStarting(BookIdentityOf(path));
  if (!LoadMovieOf(generation)) return false;
  // The player keeps the choice across movies; a player made afresh would not.
  SendPageLayout();
  if (!session_->IsCurrent(generation)) return false;
  HideStartupPanel();
  return true;
}

bool TfrmMain::LoadMovieOf(TBookSession::TGeneration generation) {
  const int entry = session_->FindEntry("book.swf");
  const std::uint64_t declared = session_->DeclaredSize(entry);
  if (declared > EntryLimits::kMovieBytes) {
    TLog4DP::Log("Refused [book.swf]: it declares " + std::to_string(declared) + " bytes");
    throw EBadZipFile("The movie book.swf of this book is too large.");
  }
  // The movie goes to the player as it is extracted: a copy of it in memory
  // beside the one the player is served from would double what a large movie
  // costs. A damaged one (cut short, or bytes that fail their check) is taken
  // back and stops the opening here, before the start-up panel goes.
  TEntryOutcome outcome = TEntryOutcome::Missing;
  try {
    std::unique_ptr<TStream> movie = PlayerControl1->OpenMovieStream();
    // Its length first: the player learns it, and its buffer is made once.
    movie->SetSize(static_cast<std::int64_t>(declared));
    TPassOnStream passOn(*movie);
    outcome = session_->Extract("book.swf", passOn, EntryLimits::kMovieBytes);
  } catch (...) {
    PlayerControl1->LoadMovie(0, L" ");
    throw;
  }
  // Closed or replaced meanwhile: the command that did it clears or replaces
  // the movie.
  if (outcome == TEntryOutcome::Superseded || !session_->IsCurrent(generation)) return false;
  if (outcome != TEntryOutcome::Sound) {
    PlayerControl1->LoadMovie(0, L" ");
    throw EBadZipFile("The movie book.swf of this book is damaged.");
  }
  return true;
}

void TfrmMain::RememberCurrentPage() {
  if (session_ && PlayerControl1) session_->Resume().BookLeaving([this] { return GetPlayerVariable(L"currentPage"); });
}

void TfrmMain::PlayerReadyStateChanged(int state) {
  constexpr int kReadyStateComplete = 4;
  if (state != kReadyStateComplete) return;
  if (std::optional<int> page = session_->Resume().PlayerReady()) {
    try {
      SetPlayerVariable(L"currentPage", std::to_wstring(*page));
    } catch (...) {
      // A player that will not turn leaves the book at its first page.
    }
  }
}

void TfrmMain::ShowNotBookMessage() { ui::Application().MessageBox(kNotBookText, kNotBookCaption, kNotBookFlags); }

int TfrmMain::FindBookEntry(const std::string& name) const { return session_->FindEntry(name); }

bool TfrmMain::ExtractEntryToStream(const std::string& name, TStream& stream) {
  return session_->Extract(name, stream, EntryLimits::kResourceBytes) == TEntryOutcome::Sound;
}

std::unique_ptr<TMemoryStream> TfrmMain::ExtractEntry(const std::string& name) {
  auto stream = std::make_unique<TMemoryStream>();
  ExtractEntryToStream(name, *stream);
  return stream;
}

void TfrmMain::actCloseExecute(ui::TObject*) { RunBookCommand({true, {}}); }

void TfrmMain::ApplyWindowSettings() {
  ::ApplyWindowSettings(*session_, TSettingsWindow{
                                       [this](const std::string& text) { SetBookCaption(text); },
                                       [this](int width, int height) { FitWindowTo(width, height); },
                                       [this] { SetWindowState(ui::TWindowState::wsMaximized); },
                                       [this] { EnterFullScreen(); },
                                   });
}

void TfrmMain::FitWindowTo(int width, int height) {
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  if (!GetMonitorInfoW(MonitorFromWindow(Handle(), MONITOR_DEFAULTTONEAREST), &monitor)) return;
  const RECT& work = monitor.rcWork;
  const TScreenRect placed = PlaceBookWindow({Left(), Top(), Left() + Width(), Top() + Height()}, width, height,
                                             {work.left, work.top, work.right, work.bottom});
  SetBounds(placed.Left, placed.Top, placed.Width(), placed.Height());
}

void TfrmMain::AnswerEnded() {
  // Posted, not run: the player's call that asked is still below us.
  if (pending_ && !running_ && !session_->Answering()) PostMessageW(Handle(), kRunPendingBookCommand, 0, 0);
}

void TfrmMain::ContentProviderRequest(const std::wstring& URL, TStream* Stream, bool& Handled) {
  answers_->ContentProviderRequest(URL, Stream, Handled);
  AnswerEnded();
}

void TfrmMain::PlayerControl1LoadExternalResource(ui::TObject*, const std::wstring& URL, TStream* Stream) {
  answers_->LoadExternalResource(URL, Stream);
  AnswerEnded();
}

void TfrmMain::PlayerControl1LoadExternalResourceEx(ui::TObject*, const std::wstring& URL, TStream*, bool&) {
  answers_->LoadExternalResourceEx(URL);
}

void TfrmMain::PlayerControl1LoadExternalResourceAsync(ui::TObject*, const std::wstring& Path, TStream*& Stream) {
  answers_->LoadExternalResourceAsync(Path, Stream);
  AnswerEnded();
}

void TfrmMain::CloseNow() {
  // No request may reach the book while the movie goes.
  PlayerControl1->OnFSCommand = [this](ui::TObject* sender, const std::wstring& command, const std::wstring& args) {
    PlayerControl1FSCommand(sender, command, args);
  };
  PlayerControl1->OnLoadExternalResource = nullptr;
  PlayerControl1->OnLoadExternalResourceEx = nullptr;
  PlayerControl1->OnLoadExternalResourceAsync = nullptr;
  RememberCurrentPage();
  session_->Resume().BookClosed();
  session_->End();
  PlayerControl1->LoadMovie(0, L" ");  // a blank address replaces the movie by nothing
  SetPlayerHandlers();
  ShowStartupPanel();
}

void TfrmMain::HistoryprojectsClickHistoryItem(ui::TObject*, ui::TMenuItem*, const std::string& filename) {
  OpenBook(filename);
}

void TfrmMain::SetBookCaption(const std::string& text) { SetCaption(kBookCaptionPrefix + text); }

void TfrmMain::Exit1Click(ui::TObject*) { Close(); }

void TfrmMain::Help2Click(ui::TObject*) { ShellOpen(kMakerContactPage); }

void TfrmMain::About1Click(ui::TObject*) {
  auto about = std::make_unique<TfrmAbout>(nullptr);
  about->ShowModal();
}

void TfrmMain::FrameStartup1Label16Click(ui::TObject* sender) {
  if (FrameStartup1) FrameStartup1->Label16Click(sender);
}
