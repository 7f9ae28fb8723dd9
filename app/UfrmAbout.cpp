#include "UfrmAbout.h"

#include "MakerPages.h"
#include "SharedRoutines.h"
#include "pictures/Pictures.h"

namespace {
constexpr ui::TColor kTextColor = ui::RGBColor(43, 54, 68);
constexpr ui::TColor kLineColor = ui::RGBColor(84, 90, 104);
}  // namespace

TfrmAbout::TfrmAbout(ui::TComponent* owner) : ui::TForm(owner) {
  Name = "frmAbout";
  SetBorderStyle(ui::TFormBorderStyle::bsNone);
  SetPosition(ui::TPosition::poScreenCenter);
  SetCaption("About");
  Font().SetName("Tahoma");
  Font().SetHeight(-11);
  SetClientSize(kClientWidth, kClientHeight);

  imgBackground = new ui::TImage(this);
  imgBackground->SetParent(this);
  imgBackground->SetBounds(0, 0, kClientWidth, kClientHeight);
  imgBackground->SetAlign(ui::TAlign::alClient);
  const TEmbeddedPicture background = AboutBackgroundPicture();
  imgBackground->Picture().LoadFromJpeg(background.data, background.size);

  lblVersionCaption = MakeLabel(24, 134, "Version:", kTextColor, ui::fsBold);
  lblVersionCaption->SetAutoSize(false);
  lblVersionCaption->SetAlignment(ui::TAlignment::taRightJustify);
  lblVersionCaption->SetBounds(24, 134, 60, 14);
  lblVersion = MakeLabel(90, 134, "", kTextColor, 0);

  Label3 = MakeLabel(24, 176, kFirstProductName, ui::clBlue, ui::fsBold | ui::fsUnderline);
  Label3->OnClick = [this](ui::TObject* sender) { Label3Click(sender); };
  lblFirstProduct = MakeLabel(24, 194, kFirstProductLine, kLineColor, 0);
  Label5 = MakeLabel(24, 230, kSecondProductName, ui::clBlue, ui::fsBold | ui::fsUnderline);
  Label5->OnClick = [this](ui::TObject* sender) { Label5Click(sender); };
  lblSecondProduct = MakeLabel(24, 248, kSecondProductLine, kLineColor, 0);
  for (ui::TLabel* link : {Label3, Label5}) link->SetCursor(ui::TCursor::crHandPoint);

  bQuit = new ui::TButton(this);
  bQuit->SetParent(this);
  bQuit->SetCaption("Quit");
  bQuit->SetBounds(kClientWidth - 24 - 75, 331, 75, 25);
  bQuit->SetDefault(true);
  bQuit->SetCancel(true);
  bQuit->OnClick = [this](ui::TObject* sender) { bQuitClick(sender); };

  OnShow = [this](ui::TObject* sender) { FormShow(sender); };
}

ui::TLabel* TfrmAbout::MakeLabel(int left, int top, const std::string& caption, ui::TColor color,
                                 ui::TFontStyles style) {
  auto* label = new ui::TLabel(this);
  label->SetParent(this);
  label->SetTransparent(true);
  label->Font().SetName("Tahoma");
  label->Font().SetHeight(-11);
  label->Font().SetColor(color);
  label->Font().SetStyle(style);
  label->SetLeft(left);
  label->SetTop(top);
  label->SetCaption(caption);
  return label;
}

void TfrmAbout::FormShow(ui::TObject*) { lblVersion->SetCaption(GetVersionText()); }

void TfrmAbout::bQuitClick(ui::TObject*) { SetModalResult(ui::mrOk); }

void TfrmAbout::Label3Click(ui::TObject*) { ShellOpen(kFirstProductPage, ""); }

void TfrmAbout::Label5Click(ui::TObject*) { ShellOpen(kSecondProductPage, ""); }
