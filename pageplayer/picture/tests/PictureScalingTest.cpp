#include <gtest/gtest.h>

#include "JpegPicture.h"
#include "PictureScaling.h"

namespace pageplayer {
namespace {

TEST(PictureScaling, FitsTheBoxKeepingTheShapeNeverUpAndDecodesAtTheLargestReductionThatStillCoversIt) {
  const struct {
    TPictureSize source;
    TDecodeBox box;
    TPictureSize shown;
    unsigned reduction;
  } cases[] = {
      {{2400, 3400}, {0, 0}, {2400, 3400}, 1},        // full resolution asked
      {{2400, 3400}, {640, 1024}, {640, 907}, 2},     // a quarter would be 600 wide
      {{2400, 3400}, {300, 400}, {282, 400}, 8},      // the height decides
      {{2400, 3400}, {2400, 3399}, {2399, 3399}, 1},  // one row less: no reduction covers it
      {{800, 600}, {1000, 1000}, {800, 600}, 1},      // never larger than the source
      {{1000, 10}, {100, 100}, {100, 1}, 8},          // a sliver keeps at least one pixel
      {{17, 9}, {8, 8}, {8, 4}, 2},                   // odd sides round up when reduced
      {{5, 5}, {1, 1}, {1, 1}, 8},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.source.width << "x" << c.source.height << " into " << c.box.width << "x"
                                    << c.box.height);
    const TPictureSize shown = FitInto(c.source, c.box);
    EXPECT_EQ(shown, c.shown);
    EXPECT_EQ(JpegReduction(c.source, shown), c.reduction);
  }
}

TPicture PictureOf(int width, int height, std::vector<std::uint32_t> pixels) { return {width, height, std::move(pixels)}; }

TEST(PictureScaling, EachNewPixelAveragesTheAreaItCoversWeightingPartlyCoveredPixels) {
  constexpr std::uint32_t kWhite = 0xFFFFFF, kBlack = 0;
  // A fine checkerboard averages to an even grey wherever each new pixel covers as many of both.
  std::vector<std::uint32_t> board;
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 6; ++x) board.push_back((x + y) % 2 ? kWhite : kBlack);
  for (const TPictureSize size : {TPictureSize{3, 3}, TPictureSize{1, 1}}) {
    const TPicture shrunk = ShrinkTo(PictureOf(6, 6, board), size);
    ASSERT_EQ(shrunk.pixels.size(), std::size_t(size.width * size.height));
    for (const std::uint32_t p : shrunk.pixels) EXPECT_EQ(p, 0x808080u) << size.width;
  }
  // Three pixels into two: the middle one is shared half and half, so the
  // left pixel is (2 x 90 + 1 x 30) / 3 and the right (1 x 30 + 2 x 240) / 3.
  const TPicture row = ShrinkTo(PictureOf(3, 1, {90, 30, 240}), {2, 1});
  EXPECT_EQ(row.pixels, (std::vector<std::uint32_t>{70, 170}));
  // The same down a column, where the shared row adds to two new rows.
  const TPicture column = ShrinkTo(PictureOf(1, 3, {90, 30, 240}), {1, 2});
  EXPECT_EQ(column.pixels, (std::vector<std::uint32_t>{70, 170}));
  // Seven rows into three: every new row averages two and a third of them
  // (the middle one: 2/3 of a 0, a whole 210 and 2/3 of a 210).
  const TPicture seven = ShrinkTo(PictureOf(1, 7, {0, 0, 0, 210, 210, 210, 210}), {1, 3});
  EXPECT_EQ(seven.pixels, (std::vector<std::uint32_t>{0, 150, 210}));
  // Channels stay apart.
  const TPicture colours = ShrinkTo(PictureOf(2, 1, {0x00FF00, 0x0000FF}), {1, 1});
  EXPECT_EQ(colours.pixels, (std::vector<std::uint32_t>{0x008080}));
}

}  // namespace
}  // namespace pageplayer
