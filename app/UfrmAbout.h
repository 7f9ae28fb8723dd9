// The About box: a borderless modal window with the program's version and
// the maker's products. Enter and Esc close it.
#pragma once

#include "VersionText.h"  // GetVersionText
#include "ui/Button.h"
#include "ui/Form.h"
#include "ui/Image.h"
#include "ui/Label.h"

class TfrmAbout : public ui::TForm {
public:
  static constexpr int kClientWidth = 497;
  static constexpr int kClientHeight = 369;

  explicit TfrmAbout(ui::TComponent* owner);

  void FormShow(ui::TObject* sender);
  void bQuitClick(ui::TObject* sender);
  void Label3Click(ui::TObject* sender);
  void Label5Click(ui::TObject* sender);

  ui::TImage* imgBackground;
  ui::TLabel* lblVersionCaption;  // "Version:"
  ui::TLabel* lblVersion;
  ui::TLabel* Label3;  // first product
  ui::TLabel* lblFirstProduct;
  ui::TLabel* Label5;  // second product
  ui::TLabel* lblSecondProduct;
  ui::TButton* bQuit;

private:
  ui::TLabel* MakeLabel(int left, int top, const std::string& caption, ui::TColor color, ui::TFontStyles style);
};
