#include <gtest/gtest.h>

#include <cstdlib>

#include "PictureDecoder.h"
#include "PictureFixtures.h"

namespace pageplayer {
namespace {

using testing::ColourOf;
using testing::TRgb;

::testing::AssertionResult Near(TRgb actual, TRgb expected, int tolerance = 12) {
  if (std::abs(actual.red - expected.red) <= tolerance && std::abs(actual.green - expected.green) <= tolerance &&
      std::abs(actual.blue - expected.blue) <= tolerance) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure() << "colour " << actual.red << "," << actual.green << "," << actual.blue
                                       << " instead of about " << expected.red << "," << expected.green << ","
                                       << expected.blue;
}

// The colour a quarter's centre has in the decoded picture.
TRgb QuarterOf(const TPicture& picture, int quarter) {
  const int x = picture.width / 4 + (quarter % 2) * picture.width / 2;
  const int y = picture.height / 4 + (quarter / 2) * picture.height / 2;
  return ColourOf(picture.pixels[static_cast<std::size_t>(y) * picture.width + x]);
}

TRgb Grey(TRgb c) {
  const int luma = (299 * c.red + 587 * c.green + 114 * c.blue + 500) / 1000;
  return {luma, luma, luma};
}

TEST(JpegPicture, DecodesEveryKindBooksCarryWithTheRightColours) {
  const struct {
    const char* name;
    testing::TJpegKind kind;
  } cases[] = {
      {"baseline", {}},
      {"progressive", {.progressive = true}},
      {"arithmetic-coded", {.arithmetic = true}},
      {"full chroma", {.fullChroma = true}},
      {"grayscale", {.stored = JCS_GRAYSCALE}},
      {"RGB without colour transform", {.stored = JCS_RGB}},
      {"CMYK with the APP14 marker", {.stored = JCS_CMYK}},
      {"YCCK with the APP14 marker", {.stored = JCS_YCCK}},
      {"progressive CMYK", {.stored = JCS_CMYK, .progressive = true}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const TDecodedPicture decoded = DecodePicture(testing::QuartersJpeg(64, 48, c.kind), {});
    ASSERT_TRUE(decoded.picture) << decoded.failure;
    EXPECT_EQ(decoded.picture->width, 64);
    EXPECT_EQ(decoded.picture->height, 48);
    for (int quarter = 0; quarter < 4; ++quarter) {
      const TRgb expected = c.kind.stored == JCS_GRAYSCALE ? Grey(testing::kQuarterColours[quarter])
                                                           : testing::kQuarterColours[quarter];
      EXPECT_TRUE(Near(QuarterOf(*decoded.picture, quarter), expected)) << "quarter " << quarter;
    }
    EXPECT_EQ(decoded.picture->pixels[0] >> 24, 0u) << "the unused byte";
  }
}

TEST(JpegPicture, StandsUprightAsTheExifOrientationSaysInEitherByteOrder) {
  // Where the stored top-left (red) and top-right (green) quarters show once upright.
  enum { TL, TR, BL, BR };
  const struct {
    int orientation;
    int red, green;
  } cases[] = {{1, TL, TR}, {2, TR, TL}, {3, BR, BL}, {4, BL, BR}, {5, TL, BL}, {6, TR, BR}, {7, BR, TR}, {8, BL, TL}};
  for (const auto& c : cases) {
    for (const bool bigEndian : {false, true}) {
      SCOPED_TRACE(::testing::Message() << "orientation " << c.orientation << (bigEndian ? " MM" : " II"));
      const auto jpeg = testing::QuartersJpeg(64, 32, {.app1 = testing::ExifWithOrientation(c.orientation, bigEndian)});
      const TDecodedPicture decoded = DecodePicture(jpeg, {});
      ASSERT_TRUE(decoded.picture) << decoded.failure;
      const bool sideways = c.orientation >= 5;
      EXPECT_EQ(decoded.picture->width, sideways ? 32 : 64);
      EXPECT_EQ(decoded.picture->height, sideways ? 64 : 32);
      EXPECT_EQ(decoded.sourceWidth, decoded.picture->width);
      EXPECT_TRUE(Near(QuarterOf(*decoded.picture, c.red), testing::kQuarterColours[0]));
      EXPECT_TRUE(Near(QuarterOf(*decoded.picture, c.green), testing::kQuarterColours[1]));
    }
  }
}

TEST(JpegPicture, DamagedOrUnknownOrientationDataLeavesThePictureAsStored) {
  std::vector<std::vector<std::uint8_t>> segments = {
      testing::ExifWithOrientation(9, false),  // no such orientation
      testing::ExifWithOrientation(0, true),
      {'E', 'x', 'i', 'f', 0, 0, 'I', 'I', 42, 0, 0xFF, 0xFF, 0xFF, 0x7F},  // directory far past the end
      {'E', 'x', 'i', 'f', 0, 0, 'X', 'X', 42, 0, 8, 0, 0, 0},               // no byte order
  };
  auto cut = testing::ExifWithOrientation(6, false);
  cut.resize(30);  // the orientation entry cut off
  segments.push_back(cut);
  for (std::size_t i = 0; i < segments.size(); ++i) {
    const TDecodedPicture decoded = DecodePicture(testing::QuartersJpeg(64, 32, {.app1 = segments[i]}), {});
    ASSERT_TRUE(decoded.picture) << i << ": " << decoded.failure;
    EXPECT_EQ(decoded.picture->width, 64) << i;
    EXPECT_TRUE(Near(QuarterOf(*decoded.picture, 0), testing::kQuarterColours[0])) << i;
  }
}

TEST(JpegPicture, ScaledDecodingGivesTheFittedSizeUprightWithCleanQuarters) {
  const struct {
    int width, height, orientation;
    TDecodeBox box;
    int shownWidth, shownHeight;
  } cases[] = {
      {640, 480, 1, {100, 100}, 100, 75},    // reduced 1/4 by the codec, then averaged
      {640, 480, 1, {320, 1000}, 320, 240},  // exactly one half
      {640, 480, 6, {100, 100}, 75, 100},    // the box applies to the upright picture
      {64, 48, 1, {1000, 1000}, 64, 48},     // never up
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.width << "x" << c.height << " orientation " << c.orientation);
    const auto jpeg = testing::QuartersJpeg(c.width, c.height, {.app1 = testing::ExifWithOrientation(c.orientation, false)});
    const TDecodedPicture decoded = DecodePicture(jpeg, c.box);
    ASSERT_TRUE(decoded.picture) << decoded.failure;
    EXPECT_EQ(decoded.picture->width, c.shownWidth);
    EXPECT_EQ(decoded.picture->height, c.shownHeight);
    const bool sideways = c.orientation >= 5;
    EXPECT_EQ(decoded.sourceWidth, sideways ? c.height : c.width);
    EXPECT_EQ(decoded.sourceHeight, sideways ? c.width : c.height);
    if (!sideways) {
      for (int quarter = 0; quarter < 4; ++quarter) {
        EXPECT_TRUE(Near(QuarterOf(*decoded.picture, quarter), testing::kQuarterColours[quarter]));
      }
    }
  }
}

TEST(JpegPicture, RefusesAProgressivePictureOfEndlesslyRepeatedScans) {
  const struct {
    int repeats;
    bool shown;
  } cases[] = {{10, true}, {600, false}};
  for (const auto& c : cases) {
    auto jpeg = testing::QuartersJpeg(64, 48, {.progressive = true});
    testing::RepeatLastScan(jpeg, c.repeats);
    const TDecodedPicture decoded = DecodePicture(jpeg, {});
    EXPECT_EQ(decoded.picture.has_value(), c.shown) << c.repeats << " repeats: " << decoded.failure;
    if (!c.shown) EXPECT_NE(decoded.failure.find("more than 500 scans"), std::string::npos) << decoded.failure;
  }
}

}  // namespace
}  // namespace pageplayer
