// Reading comfort on the reader's side: the person's choice of one page or
// two (kept beside the recent list and handed to the player, which lays the
// pages out), going to a page by its number, and the list of keys. The
// caption is left to the book: where the reader is shows under the pages.
#include <windows.h>

#include <algorithm>
#include <string>

#include "FlagScope.h"
#include "HistoryFiles.h"
#include "KeysHelp.h"
#include "UfrmGoToPage.h"
#include "UfrmMain.h"
#include "ViewSettingsFile.h"
#include "WideText.h"
#include "ui/Application.h"

void TfrmMain::BindPageView() {
  const std::pair<ui::TMenuItem*, TPageLayout> choices[] = {
      {SinglePage1, TPageLayout::Single}, {TwoPages1, TPageLayout::Two}, {Automatic1, TPageLayout::Automatic}};
  for (const auto& [item, layout] : choices) {
    item->SetRadioItem(true);
    item->OnClick = [this, layout = layout](ui::TObject*) { SetPageLayout(layout); };
  }
  CheckPageLayoutItem();
  GoToPage1->OnClick = [this](ui::TObject* sender) { GoToPage1Click(sender); };
  GoToPage1->SetEnabled(false);
  Keys1->OnClick = [this](ui::TObject* sender) { Keys1Click(sender); };

  SetPlayerVariable = [this](const std::wstring& name, const std::wstring& value) {
    PlayerControl1->SetVariable(name, value);
  };
  GetPlayerVariable = [this](const std::wstring& name) { return PlayerControl1->GetVariable(name); };
  PlayerPageCount = [this] { return PlayerControl1->GetTotalFrames(); };
  AskPageNumber = [](int pageCount, int currentPage) { return TfrmGoToPage::Ask(pageCount, currentPage); };
}

void TfrmMain::LoadPageLayout() {
  pageLayout_ = ReadPageLayout(ViewSettingsFileBeside(Historyprojects->IniFile()));
  CheckPageLayoutItem();
  SendPageLayout();
}

void TfrmMain::SetPageLayout(TPageLayout layout) {
  pageLayout_ = layout;
  CheckPageLayoutItem();
  // A file that cannot be written leaves the choice to this window alone.
  WritePageLayout(ViewSettingsFileBeside(Historyprojects->IniFile()), layout);
  SendPageLayout();
}

void TfrmMain::CheckPageLayoutItem() {
  SinglePage1->SetChecked(pageLayout_ == TPageLayout::Single);
  TwoPages1->SetChecked(pageLayout_ == TPageLayout::Two);
  Automatic1->SetChecked(pageLayout_ == TPageLayout::Automatic);
}

void TfrmMain::SendPageLayout() {
  try {
    SetPlayerVariable(L"pageLayout", TextToWide(PageLayoutName(pageLayout_)));
  } catch (...) {
    // A player without the choice lays its pages out as it always has.
  }
}

void TfrmMain::BookShownChanged(bool shown) { GoToPage1->SetEnabled(shown); }

void TfrmMain::GoToPage1Click(ui::TObject*) {
  if (askingPage_ || pnlStartUp->Visible()) return;
  // Asking the player, and the box, may run the message loop: the book they
  // are about may be gone when they return, and Ctrl+G may come again.
  const TBookSession::TGeneration generation = session_->Generation();
  std::optional<int> page;
  {
    const TFlagScope asking(askingPage_);
    int pageCount = 0;
    int currentPage = 1;
    try {
      pageCount = PlayerPageCount();
      if (std::optional<int> shown = TBookResume::PageFromPlayer(GetPlayerVariable(L"currentPage")))
        currentPage = std::min(*shown, pageCount);
    } catch (...) {
      // A player that cannot say its page is at the first as far as the box knows.
    }
    if (pageCount <= 0 || !session_->IsCurrent(generation)) return;  // no page list yet, or no book
    page = AskPageNumber(pageCount, currentPage);
  }
  if (!page || !session_->IsCurrent(generation) || pnlStartUp->Visible()) return;
  try {
    SetPlayerVariable(L"currentPage", std::to_wstring(*page));
  } catch (...) {
    // A player that will not turn stays where the person sees it is.
  }
}

void TfrmMain::Keys1Click(ui::TObject*) {
  ui::Application().MessageBox(KeysHelpText(), "Keys", MB_OK | MB_ICONINFORMATION);
}
