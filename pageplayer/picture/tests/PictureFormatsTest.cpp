#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "PictureDecoder.h"
#include "PictureFixtures.h"

namespace pageplayer {
namespace {

using testing::ColourOf;
using testing::TRgb;

constexpr std::uint32_t kPaper = 0x204080;  // red 0x20, green 0x40, blue 0x80: not white, so it shows
constexpr TRgb kPaperRgb{0x20, 0x40, 0x80};

bool Near(TRgb a, TRgb b, int tolerance = 1) {
  return std::abs(a.red - b.red) <= tolerance && std::abs(a.green - b.green) <= tolerance &&
         std::abs(a.blue - b.blue) <= tolerance;
}

std::string Text(TRgb c) {
  return std::to_string(c.red) + "," + std::to_string(c.green) + "," + std::to_string(c.blue);
}

// Every pixel of the decoded picture against what was written.
void ExpectPixels(const std::vector<std::uint8_t>& bytes, int width, int height,
                  const std::function<TRgb(int x, int y)>& expected, int tolerance = 1) {
  const TDecodedPicture decoded = DecodePicture(bytes, {0, 0, kPaper});
  ASSERT_TRUE(decoded.picture) << decoded.failure;
  ASSERT_EQ(decoded.picture->width, width);
  ASSERT_EQ(decoded.picture->height, height);
  int wrong = 0;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const TRgb actual = ColourOf(decoded.picture->pixels[static_cast<std::size_t>(y) * width + x]);
      if (!Near(actual, expected(x, y), tolerance) && ++wrong <= 3) {
        ADD_FAILURE() << "pixel " << x << "," << y << ": " << Text(actual) << " instead of " << Text(expected(x, y));
      }
    }
  }
  EXPECT_EQ(wrong, 0);
}

TRgb Quarter(int x, int y) { return testing::QuarterColour(x, y, 20, 14); }

std::vector<int> QuarterSamples(int x, int y, int scale) {
  const TRgb c = Quarter(x, y);
  return {c.red * scale, c.green * scale, c.blue * scale};
}

TEST(PngPicture, DecodesEveryColourTypeAndDepthWithTransparencyOverThePaper) {
  const std::vector<std::uint8_t> palette = {220, 30, 30, 30, 200, 40, 40, 40, 210, 230, 220, 40};
  const auto paletteIndex = [](int x, int y) { return std::vector<int>{(y >= 7 ? 2 : 0) + (x >= 10 ? 1 : 0)}; };
  const struct {
    const char* name;
    testing::TPngKind kind;
    std::function<std::vector<int>(int, int)> samples;
    std::function<TRgb(int, int)> expected;
  } cases[] = {
      {"8-bit RGB", {}, [](int x, int y) { return QuarterSamples(x, y, 1); }, Quarter},
      {"16-bit RGB", {.bitDepth = 16}, [](int x, int y) { return QuarterSamples(x, y, 257); }, Quarter},
      {"interlaced 8-bit RGB", {.interlaced = true}, [](int x, int y) { return QuarterSamples(x, y, 1); }, Quarter},
      {"interlaced 16-bit RGB", {.bitDepth = 16, .interlaced = true},
       [](int x, int y) { return QuarterSamples(x, y, 257); }, Quarter},
      {"palette", {.colourType = 3, .palette = palette}, paletteIndex, Quarter},
      {"2-bit palette, interlaced", {.colourType = 3, .bitDepth = 2, .interlaced = true, .palette = palette},
       paletteIndex, Quarter},
      {"palette whose last colour is see-through",
       {.colourType = 3, .palette = palette, .transparency = {255, 255, 255, 0}}, paletteIndex,
       [](int x, int y) { return x >= 10 && y >= 7 ? kPaperRgb : Quarter(x, y); }},
      {"8-bit gray", {.colourType = 0}, [](int x, int) { return std::vector<int>{x * 12}; },
       [](int x, int) { return TRgb{x * 12, x * 12, x * 12}; }},
      {"1-bit gray", {.colourType = 0, .bitDepth = 1}, [](int x, int y) { return std::vector<int>{(x + y) % 2}; },
       [](int x, int y) { const int v = (x + y) % 2 * 255; return TRgb{v, v, v}; }},
      {"gray with alpha", {.colourType = 4}, [](int x, int) { return std::vector<int>{255, x < 10 ? 255 : 0}; },
       [](int x, int) { return x < 10 ? TRgb{255, 255, 255} : kPaperRgb; }},
      {"RGBA half covering", {.colourType = 6},
       [](int x, int y) { auto s = QuarterSamples(x, y, 1); s.push_back(128); return s; },
       [](int x, int y) {
         const TRgb c = Quarter(x, y);
         const auto mix = [](int v, int paper) { return (v * 128 + paper * 127 + 127) / 255; };
         return TRgb{mix(c.red, kPaperRgb.red), mix(c.green, kPaperRgb.green), mix(c.blue, kPaperRgb.blue)};
       }},
      {"16-bit RGBA, left half clear", {.colourType = 6, .bitDepth = 16},
       [](int x, int y) { auto s = QuarterSamples(x, y, 257); s.push_back(x < 10 ? 0 : 65535); return s; },
       [](int x, int y) { return x < 10 ? kPaperRgb : Quarter(x, y); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ExpectPixels(testing::Png(20, 14, c.kind, c.samples), 20, 14, c.expected);
  }
}

TEST(GifPicture, ShowsItsFirstFrameOnItsScreenWithTransparencyAndBareScreenAsPaper) {
  const std::vector<TRgb> colours(testing::kQuarterColours, testing::kQuarterColours + 4);
  const auto quarters = [](int left, int top) {
    return [left, top](int x, int y) { return (y + top >= 7 ? 2 : 0) + (x + left >= 10 ? 1 : 0); };
  };
  const testing::TGifFrame whole{0, 0, 20, 14, false, -1, quarters(0, 0)};
  const testing::TGifFrame later{0, 0, 20, 14, false, -1, [](int, int) { return 0; }};
  testing::TGifFrame interlaced = whole;
  interlaced.interlaced = true;
  testing::TGifFrame clearYellow = whole;
  clearYellow.transparent = 3;
  const testing::TGifFrame inset{10, 7, 10, 7, false, -1, quarters(10, 7)};
  const testing::TGifFrame past{15, 10, 400, 300, false, -1, [](int, int) { return 0; }};
  const struct {
    const char* name;
    std::vector<testing::TGifFrame> frames;
    std::function<TRgb(int, int)> expected;
  } cases[] = {
      {"one frame", {whole}, Quarter},
      {"later frames are not shown", {whole, later}, Quarter},
      {"interlaced", {interlaced}, Quarter},
      {"transparent index", {clearYellow}, [](int x, int y) { return x >= 10 && y >= 7 ? kPaperRgb : Quarter(x, y); }},
      {"a frame covering part of the screen", {inset},
       [](int x, int y) { return x >= 10 && y >= 7 ? Quarter(x, y) : kPaperRgb; }},
      {"a frame reaching past the screen is cut at its edge", {past},
       [](int x, int y) { return x >= 15 && y >= 10 ? testing::kQuarterColours[0] : kPaperRgb; }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ExpectPixels(testing::Gif(20, 14, colours, c.frames), 20, 14, c.expected, 0);
  }
}

TEST(BmpPicture, DecodesPaletteAndDirectColourBottomUpAndTopDown) {
  for (const int bits : {8, 16, 24, 32}) {
    for (const bool topDown : {false, true}) {
      SCOPED_TRACE(::testing::Message() << bits << " bits" << (topDown ? ", top-down" : ""));
      // Five bits a channel keep the colours only to within 8.
      ExpectPixels(testing::QuartersBmp(20, 14, bits, topDown), 20, 14, Quarter, bits == 16 ? 8 : 0);
    }
  }
}

TEST(PictureDecoder, RefusesPicturesDeclaringMorePixelsThanAPageMayHaveBeforeDecodingThem) {
  auto jpeg = testing::QuartersJpeg(16, 16, {});
  testing::DeclareJpegSize(jpeg, 60000, 60000);
  auto progressive = testing::QuartersJpeg(16, 16, {.progressive = true});
  testing::DeclareJpegSize(progressive, 60000, 60000);
  auto thin = testing::QuartersJpeg(16, 16, {});
  testing::DeclareJpegSize(thin, 20000, 16);
  auto png = testing::Png(1, 1, {.colourType = 0}, [](int, int) { return std::vector<int>{0}; });
  testing::DeclarePngSize(png, 60000, 60000);
  const struct {
    const char* name;
    std::vector<std::uint8_t> bytes;
  } cases[] = {
      {"baseline JPEG", jpeg},
      {"progressive JPEG", progressive},
      {"JPEG wider than a side may be", thin},
      {"PNG", png},
      {"GIF", testing::Gif(60000, 60000, {{0, 0, 0}, {255, 255, 255}}, {{0, 0, 1, 1, false, -1, [](int, int) { return 0; }}})},
      {"BMP", [] {
         auto bmp = testing::QuartersBmp(2, 2, 24, false);
         bmp[18] = 0x60, bmp[19] = 0xEA, bmp[22] = 0x60, bmp[23] = 0xEA;  // 60000 x 60000
         return bmp;
       }()},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const TDecodedPicture decoded = DecodePicture(c.bytes, {800, 600});
    EXPECT_FALSE(decoded.picture);
    EXPECT_NE(decoded.failure.find("more than the 25000000 pixels"), std::string::npos) << decoded.failure;
  }
}

TEST(PictureDecoder, SaysWhyWhatIsNoPictureOrIsCutShortIsNotShown) {
  const std::vector<std::uint8_t> jpeg = testing::QuartersJpeg(32, 32, {});
  const std::vector<std::uint8_t> png = testing::Png(8, 8, {}, [](int x, int y) { return QuarterSamples(x, y, 1); });
  const std::vector<std::uint8_t> gif =
      testing::Gif(8, 8, {{0, 0, 0}, {255, 255, 255}}, {{0, 0, 8, 8, false, -1, [](int x, int) { return x % 2; }}});
  const std::vector<std::uint8_t> bmp = testing::QuartersBmp(8, 8, 24, false);
  const auto cut = [](const std::vector<std::uint8_t>& bytes, std::size_t size) {
    return std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + size);
  };
  const struct {
    const char* name;
    std::vector<std::uint8_t> bytes;
    const char* says;
  } cases[] = {
      {"nothing", {}, "format the player knows"},
      {"text", {'<', 'h', 't', 'm', 'l', '>'}, "format the player knows"},
      {"JPEG cut in its tables", cut(jpeg, 100), "JPEG"},
      {"PNG cut in its pixels", cut(png, png.size() - 20), "PNG"},
      {"PNG cut in its header", cut(png, 20), "PNG"},
      {"GIF without a frame", cut(gif, 13 + 6), "GIF"},
      {"BMP cut in its pixels", cut(bmp, bmp.size() - 10), "pixels run past its end"},
      {"BMP cut in its header", cut(bmp, 20), "BMP"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const TDecodedPicture decoded = DecodePicture(c.bytes, {});
    EXPECT_FALSE(decoded.picture);
    EXPECT_NE(decoded.failure.find(c.says), std::string::npos) << decoded.failure;
  }
}

}  // namespace
}  // namespace pageplayer
