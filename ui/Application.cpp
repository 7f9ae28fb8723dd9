#include "ui/Application.h"

#include <commctrl.h>

#include "WideText.h"
#include "ui/Form.h"
#include "ui/Messages.h"

namespace ui {

TApplication& Application() {
  static TApplication application;
  return application;
}

TApplication::TApplication() : TComponent(nullptr) {}

TApplication::~TApplication() {
  if (toolTip_) DestroyWindow(toolTip_);
}

void TApplication::Initialize() {
  if (initialized_) return;
  INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&icc);
  initialized_ = true;
}

void TApplication::Run() {
  Initialize();
  if (mainForm_) mainForm_->Show();
  while (!terminated_ && HandleMessage()) {
  }
}

bool TApplication::HandleMessage() {
  MSG msg;
  BOOL got = GetMessageA(&msg, nullptr, 0, 0);
  if (got == 0 || got == -1) {
    terminated_ = true;
    return false;
  }
  Dispatch(msg);
  return true;
}

void TApplication::ProcessMessages() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      terminated_ = true;
      // Leave the quit for the loop that owns the program's end.
      PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    Dispatch(msg);
  }
}

void TApplication::Terminate() {
  if (terminated_) return;
  PostQuitMessage(0);
}

void TApplication::Dispatch(MSG& msg) {
  if (PreTranslate(msg)) return;
  TranslateMessage(&msg);
  DispatchMessageA(&msg);
}

namespace {

bool IsDialogKey(WPARAM key) {
  switch (key) {
    case VK_TAB: case VK_LEFT: case VK_RIGHT: case VK_UP: case VK_DOWN:
    case VK_RETURN: case VK_EXECUTE: case VK_ESCAPE: case VK_CANCEL:
      return true;
    default:
      return false;
  }
}

}  // namespace

bool TApplication::PreTranslate(MSG& msg) {
  if (msg.message < WM_KEYFIRST || msg.message > WM_KEYLAST) return false;
  try {
    auto* form = dynamic_cast<TForm*>(TWinControl::FromHandle(GetAncestor(msg.hwnd, GA_ROOT)));
    if (msg.message == WM_KEYDOWN && form && form->OnShortCut && form->OnShortCut(msg.wParam)) return true;
    // The control that owns the window with the focus sees the key first,
    // reflected, so that an embedded object can take its accelerators.
    for (HWND window = msg.hwnd; window; window = GetParent(window)) {
      if (TWinControl::FromHandle(window)) {
        if (SendMessageA(window, CN_BASE + msg.message, msg.wParam, msg.lParam)) return true;
        break;
      }
    }
    if (msg.message != WM_KEYDOWN || !IsDialogKey(msg.wParam)) return false;
    if (!form) return false;
    return form->Perform(CM_DIALOGKEY, msg.wParam, msg.lParam) != 0;
  } catch (...) {
    HandleException(std::current_exception());
    return true;
  }
}

void TApplication::HandleException(std::exception_ptr error) {
  std::string message = "Unknown error";
  try {
    std::rethrow_exception(error);
  } catch (const std::exception& e) {
    message = e.what();
  } catch (...) {
  }
  if (OnException) {
    OnException(message);
    return;
  }
  MessageBox(message, title_, MB_OK | MB_ICONERROR);
}

int TApplication::MessageBox(const std::string& text, const std::string& caption, UINT flags) {
  if (OnMessageBox) return OnMessageBox(text, caption, flags);
  HWND owner = GetActiveWindow();
  if (!owner && mainForm_ && mainForm_->HandleAllocated()) owner = mainForm_->Handle();
  // Messages may carry a book's path, which is text in either of its forms.
  return ::MessageBoxW(owner, TextToWide(text).c_str(), TextToWide(caption).c_str(), flags);
}

HWND TApplication::ToolTipHandle(bool create) {
  if (!toolTip_ && create) {
    Initialize();
    toolTip_ = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
    if (toolTip_) SendMessageA(toolTip_, TTM_SETMAXTIPWIDTH, 0, 600);
  }
  return toolTip_;
}

}  // namespace ui
