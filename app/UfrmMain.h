// The main window: its menu, the start-up panel, and the open book.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ApplicationYield.h"
#include "BookSession.h"
#include "PageLayout.h"
#include "ResourceAnswers.h"
#include "Stream.h"
#include "player/control/PlayerControl.h"
#include "ui/Action.h"
#include "ui/Form.h"
#include "ui/Menu.h"
#include "ui/Panel.h"

class TZipReader;
class THistoryFiles;
class TFrameStartup;

class TfrmMain : public ui::TForm {
public:
  explicit TfrmMain(ui::TComponent* owner);
  ~TfrmMain() override;

  // Window life.
  void FormCreate();
  void FormShow(ui::TObject* sender);
  void FormDestroy();

  // Start-up panel.
  void ShowStartupPanel();
  void HideStartupPanel();
  void pnlStartUpResize(ui::TObject* sender);

  // Books.
  void actOpenExecute(ui::TObject* sender);
  // Ctrl+O, Ctrl+W, Ctrl+G and F11, wherever the focus is; true when the key was one of them.
  bool ShortCutPressed(WPARAM key);
  // Of the files dropped on the window, the first opens as if chosen in the dialog.
  void FilesDropped(HDROP drop);
  bool OpenBook(std::string path);
  int FindBookEntry(const std::string& name) const;
  // True when an entry was extracted whole with a matching CRC (or
  // authentication code) and within the bound of a resource; damaged bytes
  // may still have reached the stream.
  bool ExtractEntryToStream(const std::string& name, TStream& stream);
  std::unique_ptr<TMemoryStream> ExtractEntry(const std::string& name);
  void actCloseExecute(ui::TObject* sender);
  void HistoryprojectsClickHistoryItem(ui::TObject* sender, ui::TMenuItem* item, const std::string& filename);
  void SetBookCaption(const std::string& text);
  TZipReader* ZipReader() const { return session_->Reader().get(); }
  TBookSession& Session() { return *session_; }

  // The player's requests: the process-wide answer for addresses outside the
  // movies filed from memory, then the control's handlers.
  void ContentProviderRequest(const std::wstring& URL, TStream* Stream, bool& Handled);
  void PlayerControl1FSCommand(ui::TObject* sender, const std::wstring& command, const std::wstring& args);
  void PlayerControl1LoadExternalResource(ui::TObject* sender, const std::wstring& URL, TStream* Stream);
  void PlayerControl1LoadExternalResourceEx(ui::TObject* sender, const std::wstring& URL, TStream* Stream,
                                            bool& bHandled);
  void PlayerControl1LoadExternalResourceAsync(ui::TObject* sender, const std::wstring& Path, TStream*& Stream);

  // Menu and link handlers.
  void Exit1Click(ui::TObject* sender);
  void Help2Click(ui::TObject* sender);
  void About1Click(ui::TObject* sender);
  void FrameStartup1Label16Click(ui::TObject* sender);

  // Window settings from the book, full screen and keys.
  void ApplyWindowSettings();
  void EnterFullScreen();
  void ExitFullScreen();
  bool InFullScreen() const { return inFullScreen_; }
  void Fullscreen1Click(ui::TObject* sender);
  void ExitFullscreen1Click(ui::TObject* sender);
  void FormKeyPress(ui::TObject* sender, char& key);
  void FormKeyDown(ui::TObject* sender, std::uint16_t& key, ui::TShiftState shift);
  void FormKeyUp(ui::TObject* sender, std::uint16_t& key, ui::TShiftState shift);
  // The movie's "fullscreen" command with "true" or "false" (exact case).
  void PlayerFSCommand(const std::wstring& command, const std::wstring& args);
  // Reading comfort: one page or two, going to a page, the list of keys.
  // The stored layout choice, checked in the menu and sent to the player.
  void LoadPageLayout();
  // The person's choice: checked, kept beside the recent list and sent.
  void SetPageLayout(TPageLayout layout);
  TPageLayout PageLayout() const { return pageLayout_; }
  void GoToPage1Click(ui::TObject* sender);
  void Keys1Click(ui::TObject* sender);
  // What the form reads from and sets in the player (its page and layout
  // variables, its page count); tests watch and answer here. The setter and
  // getter may raise when the player refuses.
  std::function<void(const std::wstring& name, const std::wstring& value)> SetPlayerVariable;
  std::function<std::wstring(const std::wstring& name)> GetPlayerVariable;
  std::function<int()> PlayerPageCount;
  // The Go to page box: the page chosen, or nothing when cancelled.
  std::function<std::optional<int>(int pageCount, int currentPage)> AskPageNumber;

  // The player's own window procedure, which key presses reach directly.
  std::function<LRESULT(UINT message, WPARAM wParam, LPARAM lParam)> PlayerWindowProc;

  // Where the first show looks for its book: the arguments after the
  // program's name, and the book beside the executable. Tests replace them.
  std::vector<std::string> CommandLineArguments;
  std::string BookBesideExe;
  // The open dialog: the chosen path, or nothing when cancelled.
  std::function<std::optional<std::string>()> ChooseBookFile;

  ui::TPanel* pnlMain;
  vell::player::TPlayerControl* PlayerControl1 = nullptr;
  ui::TPanel* pnlStartUp;
  TFrameStartup* FrameStartup1 = nullptr;
  ui::TMainMenu* mm1;
  ui::TActionList* ActionList1;
  ui::TAction* actOpen;
  ui::TAction* actClose;
  ui::TMenuItem* File1;
  ui::TMenuItem* Open1;
  ui::TMenuItem* Close1;
  ui::TMenuItem* Recent1;
  ui::TMenuItem* Exit1;
  ui::TMenuItem* Options1;
  ui::TMenuItem* Fullscreen1;
  ui::TMenuItem* ExitFullscreen1;
  ui::TMenuItem* SinglePage1;
  ui::TMenuItem* TwoPages1;
  ui::TMenuItem* Automatic1;
  ui::TMenuItem* GoToPage1;
  ui::TMenuItem* Help1;
  ui::TMenuItem* Help2;
  ui::TMenuItem* Keys1;
  ui::TMenuItem* About1;
  THistoryFiles* Historyprojects;

protected:
  void CreateParams(ui::TCreateParams& params) override;
  LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
  void BuildMenu();
  void CreatePlayerControl();
  void SetPlayerHandlers();
  ui::TMenuItem* AddMenuItem(ui::TMenuItem* parent, const std::string& name, const std::string& caption);
  void CreateStartupFrame();
  void ShowNotBookMessage();
  void OpenFirstBook();
  // Open and Close run one at a time: one that arrives while an open runs
  // (from the archive's yield, or a message box of the open) ends that open
  // at its next step and runs after it.
  struct TBookCommand {
    bool Close = false;
    std::string Path;
  };
  bool RunBookCommand(TBookCommand command);
  // Runs the command that arrived during an answer, if it still waits.
  void RunPendingBookCommand();
  // After each answer: a command that arrived during it is left for the loop.
  void AnswerEnded();
  static constexpr UINT kRunPendingBookCommand = WM_APP + 0x42;
  bool OpenNow(const std::string& path);
  bool LoadMovieOf(TBookSession::TGeneration generation);
  void CloseNow();
  void FitWindowTo(int width, int height);
  void BindFullScreenHandlers();
  void BindShortCuts();
  void BindPageView();
  void SendPageLayout();
  void CheckPageLayoutItem();
  // A book's pages are on show: Go to page has something to go to.
  void BookShownChanged(bool shown);
  void SendKeyToPlayer(UINT message, std::uint16_t key);
  // Where the reader stopped in each book, kept beside the recent list.
  void RememberCurrentPage();
  void PlayerReadyStateChanged(int state);

  bool firstShowDone_ = false;
  // Before the session, which yields through it until it is gone.
  TApplicationYield archiveYield_{DefaultArchivePlatform()};
  std::unique_ptr<TBookSession> session_;
  std::unique_ptr<TResourceAnswers> answers_;
  bool running_ = false;
  std::optional<TBookCommand> pending_;

  struct TSavedBounds {
    int Width = 0, Height = 0, Left = 0, Top = 0;
    ui::TWindowState State = ui::TWindowState::wsNormal;
  };
  TPageLayout pageLayout_ = TPageLayout::Automatic;
  bool askingPage_ = false;

  bool inFullScreen_ = false;
  TSavedBounds saved_;
};

// The program's arguments as the platform splits them, in the system code page.
std::vector<std::string> ProgramArguments();
// The open dialog of the reader.
std::optional<std::string> ShowOpenBookDialog(HWND owner);
