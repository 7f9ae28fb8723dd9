#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

#include <jpeglib.h>

#include "ui/Jpeg.h"

namespace {

// Encodes an image whose left half is one colour and right half another.
std::vector<std::uint8_t> EncodeTwoColours(int width, int height, const std::uint8_t left[3], const std::uint8_t right[3]) {
  jpeg_compress_struct info{};
  jpeg_error_mgr errors{};
  info.err = jpeg_std_error(&errors);
  jpeg_create_compress(&info);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &buffer, &size);
  info.image_width = static_cast<JDIMENSION>(width);
  info.image_height = static_cast<JDIMENSION>(height);
  info.input_components = 3;
  info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, 95, TRUE);
  jpeg_start_compress(&info, TRUE);
  std::vector<std::uint8_t> row(static_cast<std::size_t>(width) * 3);
  for (int x = 0; x < width; ++x)
    for (int c = 0; c < 3; ++c) row[x * 3 + c] = (x < width / 2 ? left : right)[c];
  while (info.next_scanline < info.image_height) {
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&info, rows, 1);
  }
  jpeg_finish_compress(&info);
  std::vector<std::uint8_t> bytes(buffer, buffer + size);
  jpeg_destroy_compress(&info);
  std::free(buffer);
  return bytes;
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
