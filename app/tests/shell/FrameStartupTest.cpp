#include <gtest/gtest.h>

#include <memory>

#include "UFrameStartup.h"

namespace {

struct Link {
  std::string caption, hint;
  int top;
};

// The visible link labels of the recent-books area, top to bottom, "Open..." included.
std::vector<Link> RecentAreaLinks(TFrameStartup& frame) {
  std::vector<Link> links;
  for (int i = 0; i < frame.pnlRecent->ControlCount(); ++i) {
    auto* label = dynamic_cast<ui::TLabel*>(frame.pnlRecent->Controls(i));
    if (label && label->Visible() && label != frame.Label1) links.push_back({label->Caption(), label->Hint(), label->Top()});
  }
  std::sort(links.begin(), links.end(), [](const Link& a, const Link& b) { return a.top < b.top; });
  return links;
}

class FrameStartupTest : public ::testing::Test {
protected:
  void AddItem(const std::string& caption, bool enabled = true) {
    auto* item = new ui::TMenuItem(nullptr);
    item->SetCaption(caption);
    item->SetEnabled(enabled);
    recent_.Add(item);
  }
  std::unique_ptr<TFrameStartup> Fill() {
    auto frame = std::make_unique<TFrameStartup>(nullptr);
    frame->RecentMenu = &recent_;
    frame->FillStartupPanel();
    return frame;
  }
  ui::TMenuItem recent_{nullptr};
};

TEST_F(FrameStartupTest, LayoutOfTheFrame) {
  auto frame = Fill();
  EXPECT_EQ(frame->Width(), 547);
  EXPECT_EQ(frame->Height(), 434);
  EXPECT_EQ(frame->pnlTop->Height(), 89);
  EXPECT_EQ(frame->pnlBottom->Height(), 81);
  EXPECT_EQ(frame->pnlRecent->Width(), 378);
  EXPECT_EQ(frame->pnlLinks->Width(), 169);
  EXPECT_EQ(frame->pnlRecent->Color(), ui::RGBColor(248, 248, 249));
  EXPECT_EQ(frame->pnlLinks->Color(), ui::RGBColor(248, 248, 249));
  EXPECT_EQ(frame->Label18->Caption(), "Vell Reader");
  EXPECT_EQ(frame->Label18->Font().Height(), -27);
  EXPECT_EQ(frame->Label18->Font().Color(), ui::RGBColor(43, 54, 68));
  EXPECT_EQ(frame->Font().Name(), "Tahoma");
  EXPECT_EQ(frame->Font().Charset(), DEFAULT_CHARSET);
  EXPECT_EQ(frame->Label14->Font().Charset(), DEFAULT_CHARSET);
  for (ui::TLabel* link : {frame->lbRtPJ, frame->LbOpen, frame->Label14, frame->Label16, frame->Label19, frame->Label3,
                           frame->Label5}) {
    EXPECT_EQ(link->Font().Color(), ui::RGBColor(86, 99, 146)) << link->Caption();
    EXPECT_EQ(link->Cursor(), ui::TCursor::crHandPoint) << link->Caption();
    const ui::TFontStyles designed = link->Font().Style();
    link->MouseEnter();
    EXPECT_EQ(link->Font().Style(), designed | ui::fsUnderline) << link->Caption();
    link->MouseLeave();
    EXPECT_EQ(link->Font().Style(), designed) << link->Caption();
  }
  for (ui::TLabel* heading : {frame->Label1, frame->Label13}) {
    EXPECT_EQ(heading->Font().Color(), ui::clBlack);
    EXPECT_TRUE(heading->Font().Style() & ui::fsBold);
  }
  EXPECT_FALSE(frame->ImgPJ->Picture().Empty());
  EXPECT_FALSE(frame->imgBanner->Picture().Empty());
}

TEST_F(FrameStartupTest, EmptyListPutsOpenAtTheFirstLinksPlace) {
  auto frame = Fill();
  EXPECT_FALSE(frame->ImgPJ->Visible());
  EXPECT_FALSE(frame->lbRtPJ->Visible());
  const auto links = RecentAreaLinks(*frame);
  ASSERT_EQ(links.size(), 1u);
  EXPECT_EQ(links[0].caption, "Open...");
  EXPECT_EQ(frame->LbOpen->Top(), frame->ImgPJ->Top());
  EXPECT_EQ(frame->Image3->Top(), frame->ImgPJ->Top());
}

TEST_F(FrameStartupTest, EightBooksShowTheNewestFiveThenOpen) {
  AddItem("-");
  for (int k = 1; k <= 8; ++k) AddItem("&" + std::to_string(k) + " C:\\Shelf " + std::to_string(k) + "\\Book." + std::to_string(k) + ".vlq");
  AddItem("-");
  auto frame = Fill();
  const auto links = RecentAreaLinks(*frame);
  ASSERT_EQ(links.size(), 6u);
  for (int i = 0; i < 5; ++i) {
    const std::string n = std::to_string(i + 1);
    EXPECT_EQ(links[i].caption, "Book." + n);
    EXPECT_EQ(links[i].hint, "C:\\Shelf " + n + "\\Book." + n + ".vlq");
    EXPECT_EQ(links[i].top, frame->ImgPJ->Top() + 2 + 22 * i);
  }
  EXPECT_EQ(links[5].caption, "Open...");
  EXPECT_EQ(frame->LbOpen->Top(), frame->ImgPJ->Top() + 4 * 22 + 24);
  EXPECT_EQ(links[0].caption, frame->lbRtPJ->Caption());
  EXPECT_TRUE(frame->lbRtPJ->ShowHint());
}

TEST_F(FrameStartupTest, SameNameInTwoFoldersAndDisabledItems) {
  AddItem("&1 C:\\One\\Same.vlq");
  AddItem("&2 C:\\Skipped\\Off.vlq", false);
  AddItem("&3 D:\\Two\\Same.vlq");
  auto frame = Fill();
  const auto links = RecentAreaLinks(*frame);
  ASSERT_EQ(links.size(), 3u);
  EXPECT_EQ(links[0].caption, "Same");
  EXPECT_EQ(links[1].caption, "Same");
  EXPECT_EQ(links[0].hint, "C:\\One\\Same.vlq");
  EXPECT_EQ(links[1].hint, "D:\\Two\\Same.vlq");
}

TEST_F(FrameStartupTest, LinksOpenTheBookUnderlineOnHoverAndReachTheWindow) {
  AddItem("&1 C:\\Books\\Atlas & Maps.vlq");
  AddItem("&2 C:\\Books\\Second.vlq");
  auto frame = Fill();
  std::vector<std::string> opened;
  int dialogs = 0, abouts = 0;
  frame->OpenBook = [&](const std::string& path) {
    opened.push_back(path);
    return true;
  };
  frame->ExecuteOpen = [&] { ++dialogs; };
  frame->ShowAbout = [&] { ++abouts; };

  auto links = RecentAreaLinks(*frame);
  ASSERT_EQ(links.size(), 3u);
  for (int i = 0; i < frame->pnlRecent->ControlCount(); ++i) {
    auto* label = dynamic_cast<ui::TLabel*>(frame->pnlRecent->Controls(i));
    if (label && label->Hint() == "C:\\Books\\Second.vlq") {
      label->MouseEnter();
      EXPECT_TRUE(label->Font().Style() & ui::fsUnderline);
      label->MouseLeave();
      EXPECT_FALSE(label->Font().Style() & ui::fsUnderline);
      label->Click();
    }
  }
  frame->lbRtPJ->Click();
  frame->LbOpen->Click();
  frame->Label19->Click();
  EXPECT_EQ(opened, (std::vector<std::string>{"C:\\Books\\Second.vlq", "C:\\Books\\Atlas & Maps.vlq"}));
  EXPECT_EQ(dialogs, 1);
  EXPECT_EQ(abouts, 1);
  EXPECT_FALSE(frame->lbRtPJ->ShowAccelChar());  // "&" in a path shows as itself
}

}  // namespace
