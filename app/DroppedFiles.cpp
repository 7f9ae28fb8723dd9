// Files dropped on the main window: the first one opens as if it had been
// chosen in the open dialog, with the same message for a file that is no book.
// The window's own messages beside them: a book command left for the loop.
#include <windows.h>
#include <shellapi.h>

#include <optional>
#include <string>

#include "UfrmMain.h"
#include "WideText.h"

void TfrmMain::CreateParams(ui::TCreateParams& params) {
  ui::TForm::CreateParams(params);
  params.ExStyle |= WS_EX_ACCEPTFILES;
}

LRESULT TfrmMain::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DROPFILES) {
    FilesDropped(reinterpret_cast<HDROP>(wParam));
    return 0;
  }
  if (message == kRunPendingBookCommand) {
    RunPendingBookCommand();
    return 0;
  }
  return ui::TForm::WndProc(message, wParam, lParam);
}

void TfrmMain::FilesDropped(HDROP drop) {
  std::optional<std::string> first;
  if (DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0) > 0) {
    std::wstring path(DragQueryFileW(drop, 0, nullptr, 0), L'\0');
    DragQueryFileW(drop, 0, path.data(), static_cast<UINT>(path.size() + 1));
    first = WideToText(path);
  }
  // The drop is the platform's until it is finished: done before the book
  // opens, whatever the opening raises.
  DragFinish(drop);
  if (first) OpenBook(*first);
}
