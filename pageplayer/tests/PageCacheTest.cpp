#include <gtest/gtest.h>

#include "PageCache.h"

#include <algorithm>

#include "SpreadLayout.h"

namespace pageplayer {
namespace {

TCachedPage Decoded(int width, int height, TDecodeBox box = {100, 100}) {
  TCachedPage page;
  page.picture.width = width;
  page.picture.height = height;
  page.picture.pixels.resize(static_cast<std::size_t>(width) * height);
  page.box = box;
  return page;
}

TEST(PageCache, PagesByNeedPutTheShownSpreadFirstThenNextThenPreviousThenFurtherAhead) {
  struct Case {
    const char* what;
    int first, count, pages;
    std::vector<int> expected;
  } cases[] = {
      {"facing pages in the middle", 4, 2, 20, {4, 5, 6, 7, 2, 3, 8, 9}},
      {"the first spread has nothing behind it", 0, 2, 20, {0, 1, 2, 3, 4, 5}},
      {"single pages", 5, 1, 20, {5, 6, 4, 7}},
      {"near the end nothing past the last page", 18, 2, 19, {18, 16, 17}},
      {"a lone last page of a facing book", 6, 1, 7, {6, 5}},
      {"no pages", 0, 0, 0, {}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PagesByNeed(c.first, c.count, c.pages), c.expected) << c.what;
  }
}

TEST(PageCache, TheBoundInPixelsEvictsTheLeastNeededAndRefusesWhatNothingCanMakeRoomFor) {
  struct Put {
    int page;
    int pixels;  // a square picture of this many pixels a side squared: side x side
    bool kept;
  };
  struct Case {
    const char* what;
    std::int64_t bound;
    std::vector<int> wanted;
    std::vector<Put> puts;
    std::vector<int> held;
  } cases[] = {
      {"all fit", 400, {1, 2, 3}, {{1, 10, true}, {2, 10, true}, {3, 10, true}}, {1, 2, 3}},
      {"a needier page pushes out the least needed", 250, {1, 2, 3}, {{3, 10, true}, {2, 10, true}, {1, 10, true}}, {1, 2}},
      {"a less needed page never pushes out a needier one", 250, {1, 2, 3},
       {{1, 10, true}, {2, 10, true}, {3, 10, false}}, {1, 2}},
      {"one huge page cannot exceed the bound", 250, {1, 2}, {{1, 20, false}, {2, 10, true}}, {2}},
      {"pages not wanted are not kept", 1000, {1, 2}, {{7, 10, false}, {1, 10, true}}, {1}},
      {"a second decoding replaces the first", 150, {1}, {{1, 10, true}, {1, 12, true}}, {1}},
      {"evicts from the far end until there is room", 300, {1, 2, 3, 4},
       {{4, 10, true}, {3, 10, true}, {2, 10, true}, {1, 14, true}}, {1, 2}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TPageCache cache(c.bound);
    cache.Focus(c.wanted);
    for (const Put& put : c.puts) {
      EXPECT_EQ(cache.Put(put.page, Decoded(put.pixels, put.pixels)), put.kept) << "page " << put.page;
      EXPECT_LE(cache.Pixels(), c.bound);
    }
    EXPECT_EQ(cache.HeldPages(), c.held);
    std::int64_t sum = 0;
    for (int page : cache.HeldPages()) sum += cache.Find(page)->Pixels();
    EXPECT_EQ(cache.Pixels(), sum) << "the count follows what is held";
  }
}

TEST(PageCache, FocusDropsWhatIsNoLongerNeededAndABoxChangeAsksForANewDecoding) {
  TPageCache cache(1000);
  cache.Focus({0, 1, 2, 3});
  ASSERT_TRUE(cache.Put(0, Decoded(10, 10)));
  ASSERT_TRUE(cache.Put(2, Decoded(10, 10)));
  TCachedPage failed;
  failed.failed = true;
  ASSERT_TRUE(cache.Put(3, failed));
  EXPECT_EQ(cache.Pixels(), 200);

  EXPECT_FALSE(cache.Needs(0, {100, 100}));
  EXPECT_TRUE(cache.Needs(1, {100, 100})) << "not held yet";
  EXPECT_TRUE(cache.Needs(0, {200, 100})) << "held for another stage size";
  EXPECT_FALSE(cache.Needs(3, {200, 100})) << "a failure stays a failure for any size";
  EXPECT_FALSE(cache.Needs(9, {100, 100})) << "not wanted";

  cache.Focus({2, 3, 4});
  EXPECT_EQ(cache.HeldPages(), (std::vector<int>{2, 3}));
  EXPECT_EQ(cache.Pixels(), 100);
  EXPECT_EQ(cache.Find(0), nullptr);
  cache.Clear();
  EXPECT_EQ(cache.Pixels(), 0);
  EXPECT_TRUE(cache.HeldPages().empty());
}

TEST(PageCache, AZoomedSpreadIsWantedAtItsDrawnSizeUpToFullResolutionAndKeepsWhatItHadUntilThatFits) {
  // Pages of 400 x 300 pixels, fitted at 40 x 30 to boxes of 40 x 40.
  const auto decoded = [](int width, int height, TDecodeBox box) {
    TCachedPage page = Decoded(width, height, box);
    page.sourceWidth = 400;
    page.sourceHeight = 300;
    return page;
  };
  const TDecodeBox box{40, 40};
  // Room for two pages at full resolution and one fitted page.
  TPageCache cache(241500);
  cache.Focus({0, 1, 2, 3});
  for (int page : {0, 1, 2, 3}) ASSERT_TRUE(cache.Put(page, decoded(40, 30, box)));
  EXPECT_FALSE(cache.Needs(0, box));

  cache.SetMagnified({0, 1}, 2.5);
  EXPECT_EQ(cache.BoxFor(0, box).width, 100);
  EXPECT_EQ(cache.BoxFor(2, box).width, 40) << "the neighbours stay fitted";
  EXPECT_TRUE(cache.Needs(0, box));
  EXPECT_FALSE(cache.Needs(2, box));
  ASSERT_TRUE(cache.Put(0, decoded(100, 75, cache.BoxFor(0, box))));
  EXPECT_FALSE(cache.Needs(0, box));

  // Past the page's own size the box asks for no more than full resolution.
  cache.SetMagnified({0, 1}, 30);
  EXPECT_TRUE(cache.Needs(0, box));
  const TCachedPage full = decoded(400, 300, cache.BoxFor(0, box));
  ASSERT_TRUE(cache.Put(0, full));
  cache.SetMagnified({0, 1}, 60);
  EXPECT_FALSE(cache.Needs(0, box)) << "full resolution serves any larger magnification";
  EXPECT_EQ(cache.HeldPages(), (std::vector<int>{0, 1, 2, 3}));
  // The second one fits when the least needed neighbour gives way.
  ASSERT_TRUE(cache.Put(1, full));
  EXPECT_EQ(cache.HeldPages(), (std::vector<int>{0, 1, 2}));

  // With no room even then, the page keeps the picture it had.
  cache.Focus({0, 1, 2});
  cache.SetMagnified({2}, 30);
  EXPECT_FALSE(cache.Put(2, full));
  ASSERT_NE(cache.Find(2), nullptr);
  EXPECT_EQ(cache.Find(2)->picture.width, 40);
  EXPECT_EQ(cache.Pixels(), 2 * 120000 + 1200);

  // Back at the fit, the large pictures are decoded again at the stage's size.
  cache.SetMagnified({}, 1);
  EXPECT_TRUE(cache.Needs(0, box));
  // A small page is the same at any size it is wanted at: nothing to do.
  TCachedPage small = Decoded(30, 20, {});
  small.sourceWidth = 30;
  small.sourceHeight = 20;
  ASSERT_TRUE(cache.Put(0, small));
  EXPECT_FALSE(cache.Needs(0, box));
  cache.SetMagnified({0}, 4);
  EXPECT_FALSE(cache.Needs(0, box));
}

TEST(PageCache, TheDefaultBoundHoldsFullScreenSpreadsOfLargeScansButNotAWholeBook) {
  // 2400 x 3400 scans fitted to half of a 3840 x 2160 stage.
  const std::int64_t fitted = 1482ll * 2100;
  EXPECT_GE(kPageCachePixels, fitted * static_cast<std::int64_t>(PagesByNeed(10, 2, 200).size()));
  EXPECT_LT(kPageCachePixels, 200ll * 2400 * 3400 / 10);
}

TEST(PageCache, APageDecodedForItsSlotIsLaidOutAtItsOwnSize) {
  for (const TPageSize page : {TPageSize{2400, 3400}, TPageSize{3400, 2400}, TPageSize{1000, 1000}}) {
    for (int shown : {1, 2}) {
      const TDecodeBox slot = PageSlot(1280, 1024, shown);
      // The decoder's fit: the largest size of the page's shape inside the box.
      const double scale = std::min(double(slot.width) / page.width, double(slot.height) / page.height);
      const int width = int(page.width * scale), height = int(page.height * scale);
      const auto placed = LayoutSpread(1280, 1024, std::vector<TPageSize>(shown, {width, height}), {});
      for (const TPlacedPage& place : placed) {
        EXPECT_NEAR(place.picture.Width(), width, 1) << page.width << "x" << page.height << " on " << shown;
        EXPECT_NEAR(place.picture.Height(), height, 1) << page.width << "x" << page.height << " on " << shown;
      }
    }
  }
}

}  // namespace
}  // namespace pageplayer
