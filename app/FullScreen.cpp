// Full screen: the main window itself becomes a bare window covering the
// primary screen, and comes back with the bounds and state it had. The
// window's key handlers pass keys on to the player.
#include <windows.h>

#include <string>

#include "ULog.h"
#include "UfrmMain.h"

namespace {

constexpr LONG kFullScreenStyle = 0x00010000;  // no caption, frame, system menu or visible bit
constexpr LONG kWindowedStyle = 0x00CF0000;    // the standard overlapped window
constexpr char kEscape = 27;

// No frame-changed repositioning here: the maximising that follows measures
// the new frame, and an extra one would move the window back to its old place.
void SetStyleWord(HWND window, LONG style) { SetWindowLongA(window, GWL_STYLE, style); }

}  // namespace

void TfrmMain::BindFullScreenHandlers() {
  Fullscreen1->OnClick = [this](ui::TObject* sender) { Fullscreen1Click(sender); };
  ExitFullscreen1->OnClick = [this](ui::TObject* sender) { ExitFullscreen1Click(sender); };
  OnKeyPress = [this](ui::TObject* sender, char& key) { FormKeyPress(sender, key); };
  OnKeyDown = [this](ui::TObject* sender, std::uint16_t& key, ui::TShiftState shift) { FormKeyDown(sender, key, shift); };
  OnKeyUp = [this](ui::TObject* sender, std::uint16_t& key, ui::TShiftState shift) { FormKeyUp(sender, key, shift); };
}

void TfrmMain::EnterFullScreen() {
  if (inFullScreen_) return;
  saved_ = {Width(), Height(), Left(), Top(), WindowState()};
  if (WindowState() == ui::TWindowState::wsMaximized) SetWindowState(ui::TWindowState::wsNormal);
  inFullScreen_ = true;
  SetStyleWord(Handle(), kFullScreenStyle);
  // The toolkit's forms keep no border inside the client area: nothing to clear.
  SetWindowState(ui::TWindowState::wsMaximized);
  SetBounds(0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
}

void TfrmMain::ExitFullScreen() {
  if (!inFullScreen_) return;
  inFullScreen_ = false;
  SetWindowState(ui::TWindowState::wsNormal);
  SetStyleWord(Handle(), kWindowedStyle);
  SetWindowState(ui::TWindowState::wsMaximized);
  SetBounds(saved_.Left, saved_.Top, saved_.Width, saved_.Height);
  SetWindowState(saved_.State);
  // Restoring takes the platform's remembered normal place, which full screen
  // may have overwritten: a window that was normal gets its own bounds back.
  if (saved_.State == ui::TWindowState::wsNormal) SetBounds(saved_.Left, saved_.Top, saved_.Width, saved_.Height);
}

void TfrmMain::Fullscreen1Click(ui::TObject*) { EnterFullScreen(); }

void TfrmMain::ExitFullscreen1Click(ui::TObject*) { ExitFullScreen(); }

void TfrmMain::FormKeyPress(ui::TObject*, char& key) {
  TLog4DP::Log(std::string("FormKeyPress[") + key + "]");
  if (key == kEscape) ExitFullScreen();
}

void TfrmMain::FormKeyDown(ui::TObject*, std::uint16_t& key, ui::TShiftState) {
  TLog4DP::Log("FormKeyDown[" + std::to_string(key) + "]");
  SendKeyToPlayer(WM_KEYDOWN, key);
}

void TfrmMain::FormKeyUp(ui::TObject*, std::uint16_t& key, ui::TShiftState) {
  TLog4DP::Log("FormKeyUp[" + std::to_string(key) + "]");
  SendKeyToPlayer(WM_KEYUP, key);
}

void TfrmMain::PlayerFSCommand(const std::wstring& command, const std::wstring& args) {
  if (command == L"fullscreen" && args == L"true") EnterFullScreen();
  else if (command == L"fullscreen" && args == L"false") ExitFullScreen();
}

void TfrmMain::SendKeyToPlayer(UINT message, std::uint16_t key) {
  // Straight into the player's window procedure, past the message queue.
  if (PlayerWindowProc) PlayerWindowProc(message, key, 0);
}
