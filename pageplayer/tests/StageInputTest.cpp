#include <gtest/gtest.h>

#include "BookNavigator.h"
#include "PageLayout.h"
#include "PointerDrag.h"
#include "WheelNotches.h"

namespace pageplayer {
namespace {

TEST(PageLayout, TheChoiceOrTheStageShapeDecidesAndTheCurrentPageStaysInView) {
  struct Case {
    const wchar_t* choice;
    int width, height;
    int current;  // the page the person is on, 0-based, in a book of 7
    int first, count;
  } cases[] = {
      {L"auto", 800, 500, 3, 2, 2},
      {L"auto", 500, 800, 3, 3, 1},
      {L"auto", 600, 600, 3, 3, 1},  // a square stage is no wider than tall
      {L"single", 800, 500, 3, 3, 1},
      {L"two", 500, 800, 3, 2, 2},
      {L"two", 500, 800, 6, 6, 1},  // the last page alone
      {L"two", 500, 800, 0, 0, 2},  // pages 1 and 2 face each other
  };
  for (const Case& c : cases) {
    const auto layout = ParsePageLayout(c.choice);
    ASSERT_TRUE(layout) << c.choice;
    EXPECT_STREQ(PageLayoutName(*layout), c.choice);
    TBookNavigator navigator;
    navigator.Reset(7);
    navigator.GoTo(c.current);
    navigator.SetFacingPages(ShowsFacingPages(*layout, c.width, c.height));
    EXPECT_EQ(navigator.FirstShownPage(), c.first) << c.choice << " " << c.width << "x" << c.height;
    EXPECT_EQ(navigator.ShownPageCount(), c.count) << c.choice << " " << c.width << "x" << c.height;
    EXPECT_EQ(navigator.CurrentPage(), c.current) << "switching moves no page";
  }
  for (const wchar_t* other : {L"", L"Single", L"two ", L"1", L"automatic"}) {
    EXPECT_FALSE(ParsePageLayout(other)) << other;
  }
}

TEST(WheelNotches, SmallStepsAddUpToNotchesAndAChangeOfDirectionStartsAfresh) {
  struct Case {
    const char* what;
    std::vector<int> deltas;
    std::vector<int> notches;
  } cases[] = {
      {"a classic wheel", {120, -120, -120}, {1, -1, -1}},
      {"several notches at once", {-360, 240}, {-3, 2}},
      {"a smooth wheel", {40, 40, 40, 40}, {0, 0, 1, 0}},
      {"the remainder carries over", {100, 100, 100}, {0, 1, 1}},
      {"a notch and a half, then the rest", {180, 60}, {1, 1}},
      {"a small move back forgets the forward part", {100, -30, 100}, {0, 0, 0}},
      {"nothing is nothing", {0, 120}, {0, 1}},
  };
  for (const Case& c : cases) {
    TWheelNotches wheel;
    std::vector<int> notches;
    for (int delta : c.deltas) notches.push_back(wheel.Add(delta));
    EXPECT_EQ(notches, c.notches) << c.what;
  }
}

TEST(PointerDrag, WithinTheDragDistanceItIsAClickBeyondItEveryMoveCounts) {
  TPointerDrag drag(4, 4);
  EXPECT_FALSE(drag.Move(10, 10)) << "no press";
  EXPECT_FALSE(drag.Release()) << "no press, no click";

  drag.Press(100, 100);
  EXPECT_FALSE(drag.Move(104, 97)) << "within the distance";
  EXPECT_TRUE(drag.Release()) << "a click";
  EXPECT_FALSE(drag.Pressed());

  drag.Press(100, 100);
  EXPECT_FALSE(drag.Move(103, 100));
  EXPECT_EQ(drag.Move(110, 98), (TPointerDrag::TStep{10, -2})) << "from where the button went down";
  EXPECT_EQ(drag.Move(111, 98), (TPointerDrag::TStep{1, 0})) << "then each move by itself";
  EXPECT_EQ(drag.Move(100, 100), (TPointerDrag::TStep{-11, 2})) << "back over the start still drags";
  EXPECT_FALSE(drag.Release()) << "a drag is no click";

  drag.Press(0, 0);
  drag.Cancel();
  EXPECT_FALSE(drag.Move(50, 50)) << "the capture was lost";
}

}  // namespace
}  // namespace pageplayer
