#include <gtest/gtest.h>

#include "PageLayout.h"

TEST(PageLayout, StoredWordsReadBackAndAnythingElseIsAutomatic) {
  for (TPageLayout layout : {TPageLayout::Automatic, TPageLayout::Single, TPageLayout::Two})
    EXPECT_EQ(PageLayoutFromName(PageLayoutName(layout)), layout) << PageLayoutName(layout);
  EXPECT_EQ(PageLayoutName(TPageLayout::Single), "single");
  EXPECT_EQ(PageLayoutName(TPageLayout::Two), "two");
  EXPECT_EQ(PageLayoutName(TPageLayout::Automatic), "auto");

  const std::pair<const char*, TPageLayout> cases[] = {
      {" Single\t", TPageLayout::Single}, {"TWO\r\n", TPageLayout::Two},  {"", TPageLayout::Automatic},
      {"singles", TPageLayout::Automatic}, {"2", TPageLayout::Automatic}, {"one", TPageLayout::Automatic},
      {"s\xFFingle", TPageLayout::Automatic}, {"single two", TPageLayout::Automatic},
  };
  for (const auto& [stored, layout] : cases) EXPECT_EQ(PageLayoutFromName(stored), layout) << stored;
}
