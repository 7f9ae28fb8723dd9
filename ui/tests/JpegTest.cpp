#include <gtest/gtest.h>

#include <vector>

#include "TestMovies.h"
#include "ui/Jpeg.h"

namespace {

// Encodes an image whose left half is one colour and right half another.
std::vector<std::uint8_t> EncodeTwoColours(int width, int height, const std::uint8_t left[3], const std::uint8_t right[3]) {
  std::vector<std::uint8_t> rgb;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) rgb.insert(rgb.end(), x < width / 2 ? left : right, (x < width / 2 ? left : right) + 3);
  return pageplayer::testing::JpegOfPixels(width, height, rgb);
}

void ExpectNear(const std::uint8_t* bgra, int r, int g, int b) {
  EXPECT_NEAR(bgra[2], r, 6);
  EXPECT_NEAR(bgra[1], g, 6);
  EXPECT_NEAR(bgra[0], b, 6);
  EXPECT_EQ(bgra[3], 255);
}

}  // namespace

TEST(Jpeg, DecodesSizeAndColoursInBlueGreenRedOrder) {
  const std::uint8_t red[3] = {200, 30, 40}, blue[3] = {20, 40, 220};
  std::vector<std::uint8_t> jpeg = EncodeTwoColours(64, 17, red, blue);
  ui::TDecodedImage image = ui::DecodeJpeg(jpeg.data(), jpeg.size());
  ASSERT_EQ(image.Width, 64);
  ASSERT_EQ(image.Height, 17);
  ASSERT_EQ(image.Bgra.size(), 64u * 17u * 4u);
  ExpectNear(&image.Bgra[(5 * 64 + 4) * 4], 200, 30, 40);
  ExpectNear(&image.Bgra[(16 * 64 + 60) * 4], 20, 40, 220);
}

TEST(Jpeg, RejectsWhatIsNoJpeg) {
  const std::uint8_t red[3] = {255, 0, 0};
  std::vector<std::uint8_t> good = EncodeTwoColours(16, 16, red, red);
  std::vector<std::vector<std::uint8_t>> bad = {
      {},
      {'G', 'I', 'F', '8', '9', 'a'},
      {0xFF, 0xD8, 0x00, 0x01, 0x02, 0x03, 0x04},
      std::vector<std::uint8_t>(good.begin(), good.begin() + 20),  // cut inside the headers
  };
  for (std::size_t i = 0; i < bad.size(); ++i)
    EXPECT_THROW(ui::DecodeJpeg(bad[i].data(), bad[i].size()), ui::EInvalidGraphic) << "case " << i;
}
