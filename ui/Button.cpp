#include "ui/Button.h"

#include "WideText.h"
#include "ui/Form.h"

namespace ui {

TButton::TButton(TComponent* owner) : TWinControl(owner) {
  width_ = 75;
  height_ = 25;
}

void TButton::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  params.ClassName = "BUTTON";
  params.Style = WS_CHILD | WS_TABSTOP | (default_ ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON) | (enabled_ ? 0 : WS_DISABLED);
}

void TButton::SetCaption(const std::string& caption) {
  TControl::SetCaption(caption);
  if (handle_) SetWindowTextW(handle_, TextToWide(caption_).c_str());
}

void TButton::SetDefault(bool value) {
  default_ = value;
  if (handle_) SendMessageA(handle_, BM_SETSTYLE, default_ ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}

void TButton::SetEnabled(bool enabled) {
  TControl::SetEnabled(enabled);
  if (handle_) EnableWindow(handle_, enabled ? TRUE : FALSE);
}

void TButton::CommandNotify(WORD code) {
  if (code == BN_CLICKED) Click();
}

void TButton::Click() {
  if (!enabled_) return;
  TForm* form = nullptr;
  for (TWinControl* p = parent_; p; p = p->Parent())
    if ((form = dynamic_cast<TForm*>(p))) break;
  TModalResult result = modalResult_;
  // The handler may free the button; only the values read above are used.
  if (OnClick) OnClick(this);
  if (form && result != mrNone) form->SetModalResult(result);
}

}  // namespace ui
