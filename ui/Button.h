// A push button on the platform's button control. A button with a modal
// result closes its modal form with it when clicked.
#pragma once

#include "ui/WinControl.h"

namespace ui {

class TButton : public TWinControl {
public:
  explicit TButton(TComponent* owner);

  void SetCaption(const std::string& caption) override;
  bool Default() const { return default_; }
  void SetDefault(bool value);
  bool Cancel() const { return cancel_; }
  void SetCancel(bool value) { cancel_ = value; }
  TModalResult ModalResult() const { return modalResult_; }
  void SetModalResult(TModalResult result) { modalResult_ = result; }

  void Click() override;
  void SetEnabled(bool enabled) override;

protected:
  void CreateParams(TCreateParams& params) override;
  bool OwnerPainted() const override { return false; }
  void CommandNotify(WORD code) override;

private:
  bool default_ = false;
  bool cancel_ = false;
  TModalResult modalResult_ = mrNone;
};

}  // namespace ui
