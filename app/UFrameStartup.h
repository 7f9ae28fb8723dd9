// The start-up panel: shown while no book is open, it offers up to five
// recent books, "Open...", the maker's pages and the About box.
#pragma once

#include <functional>
#include <string>

#include "HistoryList.h"  // StripMenuNumber
#include "ui/Frame.h"
#include "ui/Image.h"
#include "ui/Label.h"
#include "ui/Menu.h"
#include "ui/Panel.h"

class TFrameStartup : public ui::TFrame {
public:
  static constexpr int kWidth = 547;
  static constexpr int kHeight = 434;

  explicit TFrameStartup(ui::TComponent* owner);

  // What the panel needs from the main window; set before FillStartupPanel.
  ui::TMenuItem* RecentMenu = nullptr;                     // "Recent files"
  std::function<bool(const std::string& path)> OpenBook;  // a recent book
  std::function<void()> ExecuteOpen;                      // the action actOpen
  std::function<void()> ShowAbout;                        // as the menu item "&About"

  // Offers the books of RecentMenu and puts "Open..." below them.
  void FillStartupPanel();

  void LbOpenClick(ui::TObject* sender);
  void lbRtPJClick(ui::TObject* sender);
  void lbRtPJMouseEnter(ui::TObject* sender);
  void lbRtPJMouseLeave(ui::TObject* sender);
  void Label14Click(ui::TObject* sender);
  void Label16Click(ui::TObject* sender);
  void Label19Click(ui::TObject* sender);
  void Label3Click(ui::TObject* sender);
  void Label5Click(ui::TObject* sender);

  // Regions.
  ui::TPanel* pnlTop;
  ui::TPanel* pnlBottom;
  ui::TPanel* pnlRecent;
  ui::TPanel* pnlLinks;
  // Top band.
  ui::TImage* imgBanner;
  ui::TLabel* Label18;  // title
  // Bottom band.
  ui::TImage* imgMark;
  ui::TLabel* Label16;  // "Home Page"
  ui::TLabel* lblNote;
  // Main area.
  ui::TLabel* Label1;  // "Recent Projects"
  ui::TImage* ImgPJ;
  ui::TLabel* lbRtPJ;
  ui::TImage* Image3;
  ui::TLabel* LbOpen;
  // Right column.
  ui::TLabel* Label3;
  ui::TLabel* Label5;
  ui::TLabel* Label13;  // "Support"
  ui::TLabel* Label14;  // "Contact us"
  ui::TLabel* Label19;  // "About"

private:
  ui::TPanel* MakeRegion(ui::TAlign align, int size, ui::TColor color);
  ui::TLabel* MakeLabel(ui::TWinControl* parent, int left, int top, const std::string& caption, ui::TColor color,
                        bool bold);
  ui::TLabel* MakeLink(ui::TWinControl* parent, int left, int top, const std::string& caption, bool bold,
                       void (TFrameStartup::*handler)(ui::TObject*));
  ui::TImage* MakePicture(ui::TWinControl* parent, int left, int top, int width, int height);
};
