#include "ui/Edit.h"

#include "WideText.h"

namespace ui {

TEdit::TEdit(TComponent* owner) : TWinControl(owner) {
  width_ = 121;
  height_ = 21;
  SetTabStop(true);
}

void TEdit::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  params.ClassName = "EDIT";
  params.Style = WS_CHILD | WS_TABSTOP | ES_AUTOHSCROLL | (enabled_ ? 0 : WS_DISABLED);
  params.ExStyle = WS_EX_CLIENTEDGE;
}

std::string TEdit::Text() const {
  if (!handle_) return caption_;
  const int length = GetWindowTextLengthW(handle_);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(handle_, text.data(), length + 1)));
  return WideToText(text);
}

void TEdit::SetText(const std::string& text) {
  caption_ = text;
  if (handle_) SetWindowTextW(handle_, TextToWide(text).c_str());
}

void TEdit::SelectAll() {
  if (handle_) SendMessageW(handle_, EM_SETSEL, 0, -1);
}

void TEdit::SetFocus() {
  if (handle_) ::SetFocus(handle_);
}

}  // namespace ui
