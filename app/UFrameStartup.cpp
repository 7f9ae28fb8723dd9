#include "UFrameStartup.h"

#include "HistoryList.h"
#include "MakerPages.h"
#include "SharedRoutines.h"
#include "pictures/Pictures.h"
#include "ui/Application.h"

namespace {

constexpr ui::TColor kLinkColor = ui::RGBColor(86, 99, 146);
constexpr ui::TColor kTitleColor = ui::RGBColor(43, 54, 68);
constexpr ui::TColor kAreaColor = ui::RGBColor(248, 248, 249);
constexpr ui::TColor kBandColor = ui::RGBColor(233, 236, 243);
constexpr ui::TColor kNoteColor = ui::RGBColor(84, 90, 104);
constexpr ui::TColor kDividerColor = ui::RGBColor(222, 226, 235);
constexpr const char* kFontName = "Tahoma";

constexpr int kRecentStep = 22;      // from one recent book to the next
constexpr int kOpenGap = 24;         // from the last recent book to "Open..."
constexpr int kRecentLimit = 5;
constexpr int kLabelDrop = 2;        // a link's text sits this far below its icon

void LoadPicture(ui::TImage* image, TEmbeddedPicture picture) {
  image->Picture().LoadFromJpeg(picture.data, picture.size);
  image->Invalidate();
}

void SetCharsetRecursively(ui::TComponent* component, BYTE charset) {
  for (int i = 0; i < component->ComponentCount(); ++i) {
    ui::TComponent* child = component->Components(i);
    if (auto* control = dynamic_cast<ui::TControl*>(child)) control->Font().SetCharset(charset);
    SetCharsetRecursively(child, charset);
  }
}

}  // namespace

TFrameStartup::TFrameStartup(ui::TComponent* owner) : ui::TFrame(owner) {
  SetBounds(0, 0, kWidth, kHeight);
  Font().SetName(kFontName);
  Font().SetHeight(-11);
  Font().SetCharset(ANSI_CHARSET);
  SetColor(kAreaColor);

  pnlTop = MakeRegion(ui::TAlign::alTop, 89, ui::clWhite);
  pnlBottom = MakeRegion(ui::TAlign::alBottom, 81, kBandColor);
  pnlRecent = MakeRegion(ui::TAlign::alLeft, 378, kAreaColor);
  pnlLinks = MakeRegion(ui::TAlign::alClient, 169, kAreaColor);

  imgBanner = MakePicture(pnlTop, 0, 0, kWidth, 89);
  imgBanner->SetAlign(ui::TAlign::alClient);
  imgBanner->SetStretch(true);
  LoadPicture(imgBanner, BannerPicture());
  Label18 = MakeLabel(pnlTop, 24, 26, "Vell Reader", kTitleColor, false);
  Label18->Font().SetHeight(-27);

  imgMark = MakePicture(pnlBottom, 16, 12, 56, 56);
  LoadPicture(imgMark, ReaderMarkPicture());
  Label16 = MakeLink(pnlBottom, 88, 14, "Home Page", true, &TFrameStartup::Label16Click);
  lblNote = MakeLabel(pnlBottom, 88, 36,
                      "Opens page-turning books saved as .vlq files;\n"
                      "books packed as .zip can be chosen with Open...",
                      kNoteColor, false);

  Label1 = MakeLabel(pnlRecent, 24, 20, "Recent Projects", ui::clBlack, true);
  ImgPJ = MakePicture(pnlRecent, 28, 48, 16, 16);
  LoadPicture(ImgPJ, RecentBookPicture());
  lbRtPJ = MakeLink(pnlRecent, 50, 48 + kLabelDrop, "", false, &TFrameStartup::lbRtPJClick);
  lbRtPJ->SetShowAccelChar(false);  // a path may hold "&"
  Image3 = MakePicture(pnlRecent, 28, 48 + kOpenGap, 16, 16);
  LoadPicture(Image3, OpenBookPicture());
  LbOpen = MakeLink(pnlRecent, 50, Image3->Top(), "Open...", false, &TFrameStartup::LbOpenClick);

  auto* divider = new ui::TPanel(this);
  divider->SetParent(pnlLinks);
  divider->SetBevelOuter(ui::TBevelCut::bvNone);
  divider->SetCaption("");
  divider->SetColor(kDividerColor);
  divider->SetBounds(0, 0, 1, 264);
  divider->SetAlign(ui::TAlign::alLeft);
  Label3 = MakeLink(pnlLinks, 16, 20, kFirstProductName, true, &TFrameStartup::Label3Click);
  Label5 = MakeLink(pnlLinks, 16, 42, kSecondProductName, true, &TFrameStartup::Label5Click);
  Label13 = MakeLabel(pnlLinks, 16, 86, "Support", ui::clBlack, true);
  Label14 = MakeLink(pnlLinks, 16, 108, "Contact us", false, &TFrameStartup::Label14Click);
  Label19 = MakeLink(pnlLinks, 16, 130, "About", false, &TFrameStartup::Label19Click);
}

ui::TPanel* TFrameStartup::MakeRegion(ui::TAlign align, int size, ui::TColor color) {
  auto* panel = new ui::TPanel(this);
  panel->SetParent(this);
  panel->SetBevelOuter(ui::TBevelCut::bvNone);
  panel->SetCaption("");
  panel->SetColor(color);
  if (align == ui::TAlign::alLeft || align == ui::TAlign::alRight) {
    panel->SetBounds(0, 0, size, kHeight);
  } else {
    panel->SetBounds(0, 0, kWidth, size);
  }
  panel->SetAlign(align);
  return panel;
}

ui::TLabel* TFrameStartup::MakeLabel(ui::TWinControl* parent, int left, int top, const std::string& caption,
                                     ui::TColor color, bool bold) {
  auto* label = new ui::TLabel(this);
  label->SetParent(parent);
  label->SetTransparent(true);
  label->Font().SetName(kFontName);
  label->Font().SetHeight(-11);
  label->Font().SetColor(color);
  label->Font().SetStyle(bold ? ui::fsBold : 0);
  label->SetLeft(left);
  label->SetTop(top);
  label->SetCaption(caption);
  return label;
}

ui::TLabel* TFrameStartup::MakeLink(ui::TWinControl* parent, int left, int top, const std::string& caption, bool bold,
                                    void (TFrameStartup::*handler)(ui::TObject*)) {
  ui::TLabel* label = MakeLabel(parent, left, top, caption, kLinkColor, bold);
  label->SetCursor(ui::TCursor::crHandPoint);
  label->OnClick = [this, handler](ui::TObject* sender) { (this->*handler)(sender); };
  label->OnMouseEnter = [this](ui::TObject* sender) { lbRtPJMouseEnter(sender); };
  label->OnMouseLeave = [this](ui::TObject* sender) { lbRtPJMouseLeave(sender); };
  return label;
}

ui::TImage* TFrameStartup::MakePicture(ui::TWinControl* parent, int left, int top, int width, int height) {
  auto* image = new ui::TImage(this);
  image->SetParent(parent);
  image->SetBounds(left, top, width, height);
  return image;
}

void TFrameStartup::FillStartupPanel() {
  Font().SetCharset(DEFAULT_CHARSET);
  SetCharsetRecursively(this, DEFAULT_CHARSET);
  SetBiDiMode(ui::TBiDiMode::bdLeftToRight);
  ui::Application().SetBiDiMode(ui::TBiDiMode::bdLeftToRight);
  Label18->SetCaption("Vell Reader");

  int y = ImgPJ->Top();
  const bool anyItems = RecentMenu && RecentMenu->Count() > 0;
  ImgPJ->SetVisible(anyItems);
  lbRtPJ->SetVisible(anyItems);

  int shown = 0;
  for (int i = 0; anyItems && i < RecentMenu->Count() && shown < kRecentLimit; ++i) {
    ui::TMenuItem* item = RecentMenu->Items(i);
    if (item->IsLine() || !item->Enabled()) continue;
    const std::string path = StripMenuNumber(item->Caption());
    ui::TLabel* link = lbRtPJ;
    if (shown > 0) {
      y += kRecentStep;
      auto* picture = MakePicture(pnlRecent, ImgPJ->Left(), y, ImgPJ->Width(), ImgPJ->Height());
      picture->SetPicture(ImgPJ->Picture());
      picture->SetTransparent(true);
      link = MakeLink(pnlRecent, lbRtPJ->Left(), y + kLabelDrop, "", false, &TFrameStartup::lbRtPJClick);
      link->SetShowAccelChar(false);
      link->SetCursor(lbRtPJ->Cursor());
    }
    link->SetCaption(FileNameWithoutExt(path));
    link->SetHint(path);
    link->SetShowHint(true);
    ++shown;
  }
  if (anyItems) y += kOpenGap;

  LbOpen->BringToFront();
  Image3->SetTop(y);
  LbOpen->SetTop(y);
}

void TFrameStartup::lbRtPJClick(ui::TObject* sender) {
  auto* label = dynamic_cast<ui::TLabel*>(sender);
  if (label && OpenBook) OpenBook(label->Hint());
}

void TFrameStartup::LbOpenClick(ui::TObject*) {
  if (ExecuteOpen) ExecuteOpen();
}

void TFrameStartup::lbRtPJMouseEnter(ui::TObject* sender) {
  if (auto* label = dynamic_cast<ui::TLabel*>(sender)) label->SetUnderline(true);
}

void TFrameStartup::lbRtPJMouseLeave(ui::TObject* sender) {
  if (auto* label = dynamic_cast<ui::TLabel*>(sender)) label->SetUnderline(false);
}

void TFrameStartup::Label16Click(ui::TObject*) { ShellOpen(kMakerHomePage, ""); }

void TFrameStartup::Label14Click(ui::TObject*) { ShellOpen(kMakerContactPage, ""); }

void TFrameStartup::Label19Click(ui::TObject*) {
  if (ShowAbout) ShowAbout();
}

void TFrameStartup::Label3Click(ui::TObject*) { ShellOpen(kFirstProductPage, ""); }

void TFrameStartup::Label5Click(ui::TObject*) { ShellOpen(kSecondProductPage, ""); }
