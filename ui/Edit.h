// A one-line text box on the platform's edit control.
#pragma once

#include "ui/WinControl.h"

namespace ui {

class TEdit : public TWinControl {
public:
  explicit TEdit(TComponent* owner);

  // What the box holds now, typed or set.
  std::string Text() const;
  void SetText(const std::string& text);
  // Selects the whole text, so that typing replaces it.
  void SelectAll();
  // Takes the keyboard focus, when the box has a window.
  void SetFocus();

protected:
  void CreateParams(TCreateParams& params) override;
  bool OwnerPainted() const override { return false; }
};

}  // namespace ui
