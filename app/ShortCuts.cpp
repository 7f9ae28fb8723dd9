// The usual keys of a desktop reader: Ctrl+O opens, Ctrl+W closes, Ctrl+G
// goes to a page, F11 goes in and out of full screen. The form takes them
// before the window with the focus, so they work in the player as in the
// window; every other key still reaches the player. While the menus are
// hidden (a book beside the executable), so are the keys of their items.
#include <windows.h>

#include "UfrmMain.h"

namespace {

bool Held(int key) { return GetKeyState(key) < 0; }

}  // namespace

void TfrmMain::BindShortCuts() {
  Open1->SetShortCutText("Ctrl+O");
  Close1->SetShortCutText("Ctrl+W");
  Fullscreen1->SetShortCutText("F11");
  GoToPage1->SetShortCutText("Ctrl+G");
  OnShortCut = [this](WPARAM key) { return ShortCutPressed(key); };
}

bool TfrmMain::ShortCutPressed(WPARAM key) {
  if (Held(VK_MENU) || Held(VK_SHIFT)) return false;
  const bool control = Held(VK_CONTROL);
  if (control && key == 'O' && File1->Visible()) {
    actOpen->Execute();
    return true;
  }
  if (control && key == 'W' && File1->Visible()) {
    actClose->Execute();
    return true;
  }
  if (control && key == 'G' && Options1->Visible()) {
    GoToPage1->Click();  // nothing while no book shows
    return true;
  }
  if (!control && key == VK_F11 && Options1->Visible()) {
    if (InFullScreen()) ExitFullScreen();
    else EnterFullScreen();
    return true;
  }
  return false;
}
