// The toolkit's own behaviour where the main window relies on it.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "ui/Application.h"
#include "ui/Button.h"
#include "ui/Form.h"
#include "ui/Label.h"
#include "ui/Menu.h"
#include "ui/Panel.h"

namespace {

BOOL CALLBACK CountWindow(HWND, LPARAM count) {
  ++*reinterpret_cast<int*>(count);
  return TRUE;
}

// The windows are created but not shown: what is tested here does not need
// them on the screen, and hiding a shown window costs seconds under Xvfb.
class ToolkitTest : public ::testing::Test {
protected:
  void SetUp() override {
    ui::Application().OnException = [this](const std::string& message) { errors_.push_back(message); };
    form_ = std::make_unique<ui::TForm>(nullptr);
    form_->SetBounds(10, 10, 400, 300);
  }
  void TearDown() override {
    form_.reset();
    ui::Application().OnException = nullptr;
  }

  ui::TPanel* Panel(ui::TWinControl* parent, ui::TAlign align, int size) {
    auto* panel = new ui::TPanel(form_.get());
    panel->SetBounds(0, 0, size, size);
    panel->SetParent(parent);
    panel->SetAlign(align);
    return panel;
  }

  std::vector<std::string> errors_;
  std::unique_ptr<ui::TForm> form_;
};

TEST_F(ToolkitTest, ExceptionInAHandlerIsReportedAndTheProgramGoesOn) {
  form_->OnKeyDown = [](ui::TObject*, std::uint16_t&, ui::TShiftState) { throw std::runtime_error("key failed"); };
  form_->Handle();
  SendMessageA(form_->Handle(), WM_KEYDOWN, 'A', 0);
  SendMessageA(form_->Handle(), WM_KEYDOWN, 'B', 0);
  EXPECT_EQ(errors_, (std::vector<std::string>{"key failed", "key failed"}));
  EXPECT_TRUE(IsWindow(form_->Handle()));
}

TEST_F(ToolkitTest, AlignedChildrenShareTheClientArea) {
  form_->SetClientSize(300, 200);
  ui::TPanel* top = Panel(form_.get(), ui::TAlign::alTop, 20);
  ui::TPanel* bottom = Panel(form_.get(), ui::TAlign::alBottom, 30);
  ui::TPanel* left = Panel(form_.get(), ui::TAlign::alLeft, 40);
  ui::TPanel* client = Panel(form_.get(), ui::TAlign::alClient, 5);
  form_->Handle();
  auto bounds = [](ui::TControl* c) { return std::vector<int>{c->Left(), c->Top(), c->Width(), c->Height()}; };
  EXPECT_EQ(bounds(top), (std::vector<int>{0, 0, 300, 20}));
  EXPECT_EQ(bounds(bottom), (std::vector<int>{0, 170, 300, 30}));
  EXPECT_EQ(bounds(left), (std::vector<int>{0, 20, 40, 150}));
  EXPECT_EQ(bounds(client), (std::vector<int>{40, 20, 260, 150}));
  top->Hide();
  EXPECT_EQ(bounds(left), (std::vector<int>{0, 0, 40, 170}));
  form_->SetClientSize(500, 400);
  EXPECT_EQ(bounds(client), (std::vector<int>{40, 0, 460, 370}));
}

TEST_F(ToolkitTest, AlignedChildrenFollowAMenuBarThatComesLater) {
  ui::TPanel* client = Panel(form_.get(), ui::TAlign::alClient, 5);
  form_->Handle();
  int before = form_->ClientHeight();
  auto* menu = new ui::TMainMenu(form_.get());
  auto* item = new ui::TMenuItem(form_.get());
  item->SetCaption("&File");
  menu->Items()->Add(item);
  form_->SetMenu(menu);
  ASSERT_LT(form_->ClientHeight(), before);
  EXPECT_EQ(client->Height(), form_->ClientHeight());
  EXPECT_EQ(client->Width(), form_->ClientWidth());
}

TEST_F(ToolkitTest, LabelsTakeHoverAndClicksFromTheirParentWindow) {
  ui::TPanel* panel = Panel(form_.get(), ui::TAlign::alClient, 0);
  auto* label = new ui::TLabel(form_.get());
  label->SetParent(panel);
  label->SetBounds(50, 40, 60, 15);
  label->SetAutoSize(false);
  std::vector<std::string> events;
  label->OnMouseEnter = [&](ui::TObject*) { events.push_back("enter"); };
  label->OnMouseLeave = [&](ui::TObject*) { events.push_back("leave"); };
  label->OnClick = [&](ui::TObject*) { events.push_back("click"); };
  form_->Handle();
  HWND hwnd = panel->Handle();
  SendMessageA(hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(10, 10));
  SendMessageA(hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(55, 45));
  SendMessageA(hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(60, 50));
  SendMessageA(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(60, 50));
  SendMessageA(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(61, 50));
  SendMessageA(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(60, 50));
  SendMessageA(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(200, 200));  // released elsewhere: no click
  SendMessageA(hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(200, 200));
  EXPECT_EQ(events, (std::vector<std::string>{"enter", "click", "leave"}));

  label->SetUnderline(true);
  EXPECT_TRUE(label->Font().Style() & ui::fsUnderline);
  label->SetUnderline(false);
  EXPECT_FALSE(label->Font().Style() & ui::fsUnderline);
}

TEST_F(ToolkitTest, MenuLeavesHiddenItemsOutAndRunsClickedOnes) {
  auto* menu = new ui::TMainMenu(form_.get());
  auto* file = new ui::TMenuItem(form_.get());
  file->SetCaption("&File");
  menu->Items()->Add(file);
  int clicks = 0;
  for (const char* caption : {"&One", "-", "&Two"}) {
    auto* item = new ui::TMenuItem(form_.get());
    item->SetCaption(caption);
    item->OnClick = [&](ui::TObject*) { ++clicks; };
    file->Add(item);
  }
  auto* help = new ui::TMenuItem(nullptr);
  help->SetCaption("&Help");
  menu->Items()->Add(help);
  form_->SetMenu(menu);
  form_->Handle();
  HMENU bar = GetMenu(form_->Handle());
  ASSERT_EQ(GetMenuItemCount(bar), 2);
  EXPECT_EQ(GetMenuItemCount(GetSubMenu(bar, 0)), 3);
  SendMessageA(form_->Handle(), WM_COMMAND, MAKEWPARAM(GetMenuItemID(GetSubMenu(bar, 0), 2), 0), 0);
  EXPECT_EQ(clicks, 1);

  file->SetVisible(false);
  help->SetVisible(false);
  EXPECT_EQ(GetMenuItemCount(GetMenu(form_->Handle())), 0);
  delete file->Items(0);  // freeing an item takes it out of its menu
  EXPECT_EQ(file->Count(), 2);
  file->SetVisible(true);
  EXPECT_EQ(GetMenuItemCount(GetSubMenu(GetMenu(form_->Handle()), 0)), 2);
}

TEST_F(ToolkitTest, EnterAndEscPressTheDefaultAndCancelButtons) {
  auto* ok = new ui::TButton(form_.get());
  ok->SetParent(form_.get());
  ok->SetDefault(true);
  ok->SetModalResult(ui::mrOk);
  auto* cancel = new ui::TButton(form_.get());
  cancel->SetParent(form_.get());
  cancel->SetCancel(true);
  cancel->SetModalResult(ui::mrCancel);
  form_->Handle();
  EXPECT_TRUE(form_->DialogKey(VK_ESCAPE));
  EXPECT_EQ(form_->ModalResult(), ui::mrCancel);
  EXPECT_TRUE(form_->DialogKey(VK_RETURN));
  EXPECT_EQ(form_->ModalResult(), ui::mrOk);
}

TEST_F(ToolkitTest, FreedControlsLeaveParentAndOwner) {
  ui::TPanel* outer = Panel(form_.get(), ui::TAlign::alClient, 0);
  ui::TPanel* inner = Panel(outer, ui::TAlign::alNone, 10);
  auto* label = new ui::TLabel(nullptr);  // no owner: its parent frees it
  label->SetParent(inner);
  form_->Handle();
  int before = form_->ComponentCount();
  delete inner;
  EXPECT_EQ(outer->ControlCount(), 0);
  EXPECT_EQ(form_->ComponentCount(), before - 1);
  delete outer;
  EXPECT_EQ(form_->ControlCount(), 0);
}

// Windowed and graphic controls register their hints alike: only while
// they are visible, shown hints on, and a window shows them.
TEST_F(ToolkitTest, HintsAreRegisteredForVisibleControlsWithAWindowOnly) {
  auto tools = [] {
    HWND tip = ui::Application().ToolTipHandle(false);
    return tip ? static_cast<int>(SendMessageA(tip, TTM_GETTOOLCOUNT, 0, 0)) : 0;
  };
  ui::TPanel* panel = Panel(form_.get(), ui::TAlign::alNone, 40);
  auto* label = new ui::TLabel(form_.get());
  label->SetParent(form_.get());
  for (ui::TControl* control : {static_cast<ui::TControl*>(panel), static_cast<ui::TControl*>(label)}) {
    control->SetHint("hint");
    control->SetShowHint(true);
  }
  const int before = tools();  // no window yet: none of these
  form_->Handle();
  EXPECT_EQ(tools(), before + 2);
  panel->SetVisible(false);
  label->SetVisible(false);
  EXPECT_EQ(tools(), before);
  panel->SetVisible(true);
  EXPECT_EQ(tools(), before + 1);
}

TEST_F(ToolkitTest, AChildsWindowAskedForFirstCreatesItsParentsAndOnlyOneOfItsOwn) {
  ui::TPanel* panel = Panel(form_.get(), ui::TAlign::alNone, 10);
  HWND child = panel->Handle();
  int windows = 0;
  EnumChildWindows(form_->Handle(), CountWindow, reinterpret_cast<LPARAM>(&windows));
  EXPECT_EQ(windows, 1);
  EXPECT_EQ(GetParent(child), form_->Handle());
  EXPECT_EQ(ui::TWinControl::FromHandle(child), panel);
}

TEST_F(ToolkitTest, ComingBackToTheWindowGivesTheKeyboardBackToTheWindowInsideThatHadIt) {
  // A window the toolkit does not know, as an embedded player's is.
  ui::TPanel* panel = Panel(form_.get(), ui::TAlign::alClient, 5);
  form_->Show();
  const HWND inner = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE, 0, 0, 50, 20, panel->Handle(), nullptr,
                                     GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(inner, nullptr);
  const HWND other = CreateWindowExW(0, L"STATIC", L"other", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 500, 10, 100, 100,
                                     nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(other, nullptr);
  for (const bool innerHadIt : {true, false}) {
    SCOPED_TRACE(innerHadIt ? "the inner window had the keyboard" : "the form had it");
    SetActiveWindow(form_->Handle());
    SetFocus(innerHadIt ? inner : form_->Handle());
    SetActiveWindow(other);
    EXPECT_EQ(GetActiveWindow(), other);
    SetActiveWindow(form_->Handle());
    EXPECT_EQ(GetFocus(), innerHadIt ? inner : form_->Handle());
  }
  DestroyWindow(other);
  form_->Hide();
}

}  // namespace
