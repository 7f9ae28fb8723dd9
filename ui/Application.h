// The application object: title, the message loop, the default error report
// and the shared tooltip window.
#pragma once

#include <windows.h>

#include <exception>
#include <string>

#include "ui/Component.h"
#include "ui/Types.h"

namespace ui {

class TForm;

class TApplication : public TComponent {
public:
  TApplication();
  ~TApplication() override;

  // Loads the common controls; call once before the first window.
  void Initialize();

  const std::string& Title() const { return title_; }
  void SetTitle(const std::string& title) { title_ = title; }

  // The first form made main ends the message loop when it closes.
  TForm* MainForm() const { return mainForm_; }
  void SetMainForm(TForm* form) { mainForm_ = form; }

  // Shows the main form and dispatches messages until Terminate or WM_QUIT.
  void Run();
  // Dispatches every pending message, then returns.
  void ProcessMessages();
  // Waits for one message and dispatches it; false after WM_QUIT.
  bool HandleMessage();
  void Terminate();
  bool Terminated() const { return terminated_; }

  // The default error report: the exception's message in a message box; the
  // program goes on.
  void HandleException(std::exception_ptr error);
  // Lets tests and tools see what would have been reported instead of a box.
  std::function<void(const std::string& message)> OnException;

  // A modal message box owned by the active window; returns the button id.
  int MessageBox(const std::string& text, const std::string& caption, UINT flags);
  // When set, answers message boxes instead of showing them (for tests and
  // tools that run without anyone to press a button).
  std::function<int(const std::string& text, const std::string& caption, UINT flags)> OnMessageBox;

  TBiDiMode BiDiMode() const { return biDiMode_; }
  void SetBiDiMode(TBiDiMode mode) { biDiMode_ = mode; }

  HWND ToolTipHandle(bool create);
  // Toolkit internal: routes a message before it is dispatched.
  bool PreTranslate(MSG& msg);

private:
  void Dispatch(MSG& msg);

  std::string title_;
  TForm* mainForm_ = nullptr;
  bool terminated_ = false;
  bool initialized_ = false;
  HWND toolTip_ = nullptr;
  TBiDiMode biDiMode_ = TBiDiMode::bdLeftToRight;
};

// The process's one application object.
TApplication& Application();

}  // namespace ui
