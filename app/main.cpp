// The reader's entry point.
#include <windows.h>

#include <memory>

#include "FileTypeRegistration.h"
#include "player/subsystem/EmbeddedPlayer.h"
#include "UfrmMain.h"
#include "ui/Application.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  // First of all, the embedded player code is installed here.
  InstallEmbeddedPlayerCode();

  TSetupSwitchOutcome setup = RunSetupSwitch();
  if (!setup.startUserInterface) return setup.exitCode;

  ui::TApplication& application = ui::Application();
  application.Initialize();
  std::unique_ptr<TfrmMain> frmMain;
  try {
    frmMain = std::make_unique<TfrmMain>(nullptr);
  } catch (...) {
    application.HandleException(std::current_exception());
    return 1;
  }
  application.SetMainForm(frmMain.get());
  try {
    application.Run();
  } catch (...) {
    // The window could not even be shown: say why instead of vanishing.
    application.HandleException(std::current_exception());
    return 1;
  }
  frmMain.reset();
  return 0;
}
