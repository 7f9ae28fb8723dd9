// The Go to page box: a small modal dialog that asks for a page of the open
// book. Enter is OK, Esc is Cancel; a number outside the book keeps the box
// open with a short message.
#pragma once

#include <optional>

#include "ui/Button.h"
#include "ui/Edit.h"
#include "ui/Form.h"
#include "ui/Label.h"

class TfrmGoToPage : public ui::TForm {
public:
  // `currentPage` prefills the box, selected, so that typing replaces it.
  TfrmGoToPage(ui::TComponent* owner, int pageCount, int currentPage);

  // Shows a box and returns the page chosen, or nothing when cancelled.
  static std::optional<int> Ask(int pageCount, int currentPage);

  void FormShow(ui::TObject* sender);
  void btnOkClick(ui::TObject* sender);
  // The page accepted by OK, or nothing yet.
  std::optional<int> Page() const { return page_; }

  LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;

  ui::TLabel* lblPage;  // "Page (1 - M):"
  ui::TEdit* edtPage;
  ui::TLabel* lblMessage;  // why a number was not taken
  ui::TButton* btnOk;
  ui::TButton* btnCancel;

private:
  ui::TButton* MakeButton(int left, const std::string& caption);

  int pageCount_;
  int currentPage_;
  std::optional<int> page_;
};
