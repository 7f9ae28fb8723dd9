#include <gtest/gtest.h>

#include "UfrmAbout.h"

namespace {

TEST(About, BorderlessCentredWithVersionAndQuit) {
  TfrmAbout about(nullptr);
  EXPECT_EQ(about.BorderStyle(), ui::TFormBorderStyle::bsNone);
  EXPECT_EQ(about.Position(), ui::TPosition::poScreenCenter);
  EXPECT_EQ(about.Caption(), "About");
  EXPECT_EQ(about.ClientWidth(), 497);
  EXPECT_EQ(about.ClientHeight(), 369);
  EXPECT_TRUE(about.bQuit->Default());
  EXPECT_TRUE(about.bQuit->Cancel());
  EXPECT_EQ(about.bQuit->Caption(), "Quit");
  EXPECT_FALSE(about.imgBackground->Picture().Empty());
  about.FormShow(&about);
  EXPECT_EQ(about.lblVersion->Caption(), GetVersionText());
  EXPECT_EQ(GetVersionText(), "0.0.0 ");  // the test program carries no version resource
}

TEST(About, EscAndEnterCloseTheModalBox) {
  for (WPARAM key : {VK_ESCAPE, VK_RETURN}) {
    TfrmAbout about(nullptr);
    PostMessageA(about.Handle(), WM_KEYDOWN, key, 0);
    EXPECT_NE(about.ShowModal(), ui::mrNone) << key;
    EXPECT_FALSE(about.Visible());
  }
}

}  // namespace
