// The reader's main window hosting its player control, with the test's
// player object standing in for the bundled one.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>

#include "TestPlayer.h"
#include "UfrmMain.h"
#include "player/control/PlayerCodeSource.h"
#include "ui/Application.h"

namespace vell::player::test {

namespace {

class HostingTest : public ::testing::Test {
protected:
  void SetUp() override {
    player_ = new TTestPlayer(10 << 16);
    PlayerCodeSource().CreatePlayerObject = [this](REFIID id, void** object) {
      return player_->QueryInterface(id, object);
    };
    ui::Application().OnMessageBox = [](const std::string&, const std::string&, UINT) { return IDOK; };
    ui::Application().OnException = [this](const std::string& message) { errors_.push_back(message); };
    form_ = std::make_unique<TfrmMain>(nullptr);
    form_->CommandLineArguments.clear();
    form_->BookBesideExe.clear();
    form_->Handle();
    form_->OnShow(form_.get());
    ui::Application().ProcessMessages();
  }

  void TearDown() override {
    form_.reset();
    PlayerCodeSource() = {};
    player_->Release();
    ui::Application().OnMessageBox = nullptr;
    ui::Application().OnException = nullptr;
  }

  // The player window's rectangle in pnlMain's client coordinates.
  RECT PlayerRect() {
    RECT r;
    GetWindowRect(player_->Window(), &r);
    MapWindowPoints(nullptr, form_->pnlMain->Handle(), reinterpret_cast<POINT*>(&r), 2);
    return r;
  }

  TTestPlayer* player_;
  std::unique_ptr<TfrmMain> form_;
  std::vector<std::string> errors_;
};

}  // namespace

TEST_F(HostingTest, ThePlayersWindowFillsPnlMainAndFollowsResizes) {
  TPlayerControl* control = form_->PlayerControl1;
  ASSERT_NE(control, nullptr);
  EXPECT_EQ(control->Parent(), form_->pnlMain);
  EXPECT_EQ(control->Handle(), player_->Window());
  char className[64] = {};
  GetClassNameA(control->Handle(), className, sizeof className);
  EXPECT_STREQ(className, "TestPlayerStage");
  EXPECT_EQ(GetParent(player_->Window()), form_->pnlMain->Handle());

  for (auto [width, height] : {std::pair{800, 600}, std::pair{640, 400}, std::pair{1000, 700}}) {
    SCOPED_TRACE(width);
    form_->SetBounds(0, 0, width, height);
    ui::Application().ProcessMessages();
    RECT r = PlayerRect();
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 0);
    EXPECT_EQ(r.right, form_->pnlMain->ClientWidth());
    EXPECT_EQ(r.bottom, form_->pnlMain->ClientHeight());
  }
  EXPECT_EQ(player_->Count(WM_SIZE), 0);
  EXPECT_TRUE(errors_.empty());
}

TEST_F(HostingTest, RightButtonReleaseReachesThePlayerAsContextMenu) {
  HWND window = form_->PlayerControl1->Handle();
  PostMessageA(window, WM_RBUTTONUP, 0, MAKELPARAM(20, 30));
  ui::Application().ProcessMessages();
  EXPECT_EQ(player_->Count(WM_RBUTTONUP), 0);
  EXPECT_EQ(player_->Count(WM_CONTEXTMENU), 1);
}

TEST_F(HostingTest, ClosingTheBookLoadsTheBlankMovieWithoutResourceHandlersAndRestoresThem) {
  TPlayerControl* control = form_->PlayerControl1;
  ASSERT_TRUE(control->OnLoadExternalResource);
  // The blank movie reaches the player while the resource handlers are
  // detached and the full-screen one is set.
  std::string atLoad;
  player_->OnSlot = [&](int slot) {
    if (slot != 58) return;
    atLoad = std::string(control->OnFSCommand ? "fs " : "") + (control->OnLoadExternalResource ? "load " : "") +
             (control->OnLoadExternalResourceEx ? "ex " : "") + (control->OnLoadExternalResourceAsync ? "async" : "");
  };
  player_->ClearSlots();
  form_->actClose->Execute();
  player_->OnSlot = nullptr;
  EXPECT_EQ(player_->Slots, std::vector<int>{58});
  EXPECT_EQ(player_->LastText, L" ");
  EXPECT_EQ(atLoad, "fs ");
  EXPECT_TRUE(control->OnFSCommand);
  EXPECT_TRUE(control->OnLoadExternalResource);
  EXPECT_TRUE(control->OnLoadExternalResourceEx);
  EXPECT_TRUE(control->OnLoadExternalResourceAsync);
  EXPECT_TRUE(form_->pnlStartUp->Visible());
}

}  // namespace vell::player::test
