#include "UfrmGoToPage.h"

#include <string>

#include "PageNumber.h"

namespace {

constexpr int kClientWidth = 264;
constexpr int kClientHeight = 118;
constexpr int kMargin = 12;
constexpr int kButtonTop = 82;
constexpr ui::TColor kMessageColor = ui::RGBColor(160, 0, 0);

}  // namespace

TfrmGoToPage::TfrmGoToPage(ui::TComponent* owner, int pageCount, int currentPage)
    : ui::TForm(owner), pageCount_(pageCount), currentPage_(currentPage) {
  Name = "frmGoToPage";
  SetBorderStyle(ui::TFormBorderStyle::bsDialog);
  SetPosition(ui::TPosition::poScreenCenter);
  SetCaption("Go to page");
  Font().SetName("Tahoma");
  Font().SetHeight(-11);
  SetClientSize(kClientWidth, kClientHeight);

  lblPage = new ui::TLabel(this);
  lblPage->SetParent(this);
  lblPage->SetBounds(kMargin, kMargin, 0, 0);
  lblPage->SetCaption("Page (1 - " + std::to_string(pageCount_) + "):");

  edtPage = new ui::TEdit(this);
  edtPage->SetParent(this);
  edtPage->SetBounds(kMargin, 30, kClientWidth - 2 * kMargin, 21);

  lblMessage = new ui::TLabel(this);
  lblMessage->SetParent(this);
  lblMessage->SetBounds(kMargin, 58, 0, 0);
  lblMessage->Font().SetName("Tahoma");
  lblMessage->Font().SetHeight(-11);
  lblMessage->Font().SetColor(kMessageColor);

  btnOk = MakeButton(kClientWidth - kMargin - 2 * 75 - 6, "OK");
  btnOk->SetDefault(true);
  btnOk->OnClick = [this](ui::TObject* sender) { btnOkClick(sender); };
  btnCancel = MakeButton(kClientWidth - kMargin - 75, "Cancel");
  btnCancel->SetCancel(true);
  btnCancel->SetModalResult(ui::mrCancel);

  OnShow = [this](ui::TObject* sender) { FormShow(sender); };
}

std::optional<int> TfrmGoToPage::Ask(int pageCount, int currentPage) {
  TfrmGoToPage box(nullptr, pageCount, currentPage);
  if (box.ShowModal() != ui::mrOk) return std::nullopt;
  return box.Page();
}

ui::TButton* TfrmGoToPage::MakeButton(int left, const std::string& caption) {
  auto* button = new ui::TButton(this);
  button->SetParent(this);
  button->SetBounds(left, kButtonTop, 75, 25);
  button->SetCaption(caption);
  return button;
}

void TfrmGoToPage::FormShow(ui::TObject*) {
  edtPage->SetText(std::to_string(currentPage_));
  edtPage->SelectAll();
}

void TfrmGoToPage::btnOkClick(ui::TObject*) {
  page_ = ParsePageNumber(edtPage->Text(), pageCount_);
  if (page_) {
    SetModalResult(ui::mrOk);
    return;
  }
  lblMessage->SetCaption("Enter a page number from 1 to " + std::to_string(pageCount_) + ".");
  edtPage->SelectAll();
  edtPage->SetFocus();
}

LRESULT TfrmGoToPage::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
  const LRESULT result = ui::TForm::WndProc(message, wParam, lParam);
  // The platform gives an activated window the focus itself; the box's is
  // the page number's.
  if (message == WM_ACTIVATE && LOWORD(wParam) != WA_INACTIVE && !HIWORD(wParam)) edtPage->SetFocus();
  return result;
}
