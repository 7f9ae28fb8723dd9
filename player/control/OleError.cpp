#include "player/control/OleError.h"

#include <oleauto.h>

#include <cstdio>

#include "Bstr.h"
#include "ComRef.h"
#include "WideText.h"

namespace vell::player {

std::string SystemErrorText(HRESULT result) {
  char* text = nullptr;
  DWORD length = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                nullptr, static_cast<DWORD>(result), 0, reinterpret_cast<char*>(&text), 0, nullptr);
  std::string message = length && text ? std::string(text, length) : std::string();
  if (text) LocalFree(text);
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == ' ')) message.pop_back();
  if (message.empty()) {
    char code[48];
    std::snprintf(code, sizeof code, "OLE error %08lX", static_cast<unsigned long>(result));
    message = code;
  }
  return message;
}

void OleCheck(HRESULT result) {
  if (SUCCEEDED(result)) return;
  std::string message;
  TComRef<IErrorInfo> info;
  if (GetErrorInfo(0, info.Out()) == S_OK && info) {
    TBstr description;
    if (SUCCEEDED(info->GetDescription(description.Out()))) message = WideToAnsi(description.Text());
  }
  if (message.empty()) message = SystemErrorText(result);
  throw EOleSysError(message, result);
}

}  // namespace vell::player
