#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "PictureFixtures.h"
#include "SpreadLayout.h"
#include "TestBooks.h"
#include "TestHost.h"
#include "TestMovies.h"

namespace pageplayer::testing {
namespace {

// Taller than wide: one page at a time, so that every frame is one page.
constexpr int kStageWidth = 420;
constexpr int kStageHeight = 560;
constexpr int kWidth = 160, kHeight = 120;

COLORREF Colour(TRgb c) { return RGB(c.red, c.green, c.blue); }

struct TFormatPage {
  const char* name;
  std::vector<std::uint8_t> bytes;
  TPageSize upright;
  // The colours of the upright page's quarters: top left, top right, bottom left, bottom right.
  TRgb quarters[4];
};

std::vector<TFormatPage> FormatPages() {
  const TRgb red = kQuarterColours[0], green = kQuarterColours[1], blue = kQuarterColours[2],
             yellow = kQuarterColours[3], white{255, 255, 255};
  const auto grey = [](TRgb c) {
    const int luma = (299 * c.red + 587 * c.green + 114 * c.blue + 500) / 1000;
    return TRgb{luma, luma, luma};
  };
  const auto rgb = [](int scale) {
    return [scale](int x, int y) {
      const TRgb c = QuarterColour(x, y, kWidth, kHeight);
      return std::vector<int>{c.red * scale, c.green * scale, c.blue * scale};
    };
  };
  const auto index = [](int x, int y) { return (y >= kHeight / 2 ? 2 : 0) + (x >= kWidth / 2 ? 1 : 0); };
  std::vector<std::uint8_t> palette;
  for (const TRgb& c : kQuarterColours) palette.insert(palette.end(), {std::uint8_t(c.red), std::uint8_t(c.green), std::uint8_t(c.blue)});
  const TPageSize landscape{kWidth, kHeight};
  return {
      {"cmyk.jpg", QuartersJpeg(kWidth, kHeight, {.stored = JCS_CMYK}), landscape, {red, green, blue, yellow}},
      {"ycck.jpg", QuartersJpeg(kWidth, kHeight, {.stored = JCS_YCCK}), landscape, {red, green, blue, yellow}},
      {"progressive.jpg", QuartersJpeg(kWidth, kHeight, {.progressive = true}), landscape, {red, green, blue, yellow}},
      {"grey.jpg", QuartersJpeg(kWidth, kHeight, {.stored = JCS_GRAYSCALE}), landscape,
       {grey(red), grey(green), grey(blue), grey(yellow)}},
      // Stored on its side; a quarter turn clockwise stands it up.
      {"rotated.jpg", QuartersJpeg(kWidth, kHeight, {.app1 = ExifWithOrientation(6, false)}), {kHeight, kWidth},
       {blue, red, yellow, green}},
      {"rgb8.png", Png(kWidth, kHeight, {}, rgb(1)), landscape, {red, green, blue, yellow}},
      {"rgb16.png", Png(kWidth, kHeight, {.bitDepth = 16}, rgb(257)), landscape, {red, green, blue, yellow}},
      {"palette-alpha.png",
       Png(kWidth, kHeight, {.colourType = 3, .palette = palette, .transparency = {255, 255, 255, 0}},
           [&](int x, int y) { return std::vector<int>{index(x, y)}; }),
       landscape, {red, green, blue, white}},
      {"interlaced.png", Png(kWidth, kHeight, {.interlaced = true}, rgb(1)), landscape, {red, green, blue, yellow}},
      {"page.gif", Gif(kWidth, kHeight, {red, green, blue, yellow}, {{0, 0, kWidth, kHeight, false, -1, index}}),
       landscape, {red, green, blue, yellow}},
      {"page.bmp", QuartersBmp(kWidth, kHeight, 24, false), landscape, {red, green, blue, yellow}},
  };
}

TEST(PagePlayerPictureFormats, ABookWithAPageOfEachFormatShowsEveryPicturePageUpright) {
  const std::vector<TFormatPage> pages = FormatPages();
  TBookFolder folder;
  folder.Write("book.swf", MovieBytes("FWS", 1200, 800));
  std::string list = "<?xml version=\"1.0\"?>\n<book title=\"Formats\">\n";
  for (const TFormatPage& page : pages) {
    list += std::string("  <page src=\"files/pages/") + page.name + "\"/>\n";
    folder.Write(std::string("files/pages/") + page.name, page.bytes);
  }
  folder.Write("files/config.xml", list + "</book>\n");

  TTestHost host(kStageWidth, kStageHeight);
  host.CreatePlayer();
  host.PlayMovie(folder.PathOf("book.swf"));
  ASSERT_EQ(host.TotalFrames(), static_cast<long>(pages.size()));
  const char* captures = std::getenv("PAGEPLAYER_FORMAT_CAPTURES");
  for (std::size_t i = 0; i < pages.size(); ++i) {
    SCOPED_TRACE(pages[i].name);
    ASSERT_EQ(host.Player().GotoFrame(static_cast<long>(i)), S_OK);
    host.PumpFor(50);
    if (captures) {
      const std::string path = std::string(captures) + "\\" + std::to_string(i + 1) + "-" + pages[i].name + ".bmp";
      host.SaveCapture(std::wstring(path.begin(), path.end()));
    }
    const auto places = LayoutSpread(kStageWidth, kStageHeight, {pages[i].upright}, {});
    ASSERT_EQ(places.size(), 1u);
    const TBox& box = places[0].picture;
    EXPECT_NEAR(double(box.Width()) / box.Height(), double(pages[i].upright.width) / pages[i].upright.height, 0.02)
        << "the page's shape";
    int width = 0, height = 0;
    const auto pixels = host.Capture(width, height);
    for (int quarter = 0; quarter < 4; ++quarter) {
      const int x = box.left + box.Width() / 4 + (quarter % 2) * box.Width() / 2;
      const int y = box.top + box.Height() / 4 + (quarter / 2) * box.Height() / 2;
      const COLORREF actual = PixelAt(pixels, width, x, y);
      EXPECT_TRUE(Near(actual, Colour(pages[i].quarters[quarter])))
          << "quarter " << quarter << ": " << std::hex << actual << " instead of about "
          << Colour(pages[i].quarters[quarter]);
    }
  }
}

}  // namespace
}  // namespace pageplayer::testing
