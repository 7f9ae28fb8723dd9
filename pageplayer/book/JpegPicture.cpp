#include "JpegPicture.h"

#include <csetjmp>
#include <cstdio>
#include <new>

#include <jpeglib.h>

namespace pageplayer {

namespace {

struct TErrorManager {
  jpeg_error_mgr base;
  std::jmp_buf escape;
};

void LeaveDecoding(j_common_ptr info) { std::longjmp(reinterpret_cast<TErrorManager*>(info->err)->escape, 1); }
void Silence(j_common_ptr) {}

constexpr int kLargestSide = 16384;
// 100 MB of pixels: a page, not a poster.
constexpr unsigned long long kLargestPixelCount = 25'000'000;

// Kept free of objects with destructors between setjmp and longjmp.
bool Decode(std::span<const std::uint8_t> bytes, TPicture& picture, std::vector<unsigned char>& row) {
  jpeg_decompress_struct info{};
  TErrorManager errors{};
  info.err = jpeg_std_error(&errors.base);
  errors.base.error_exit = LeaveDecoding;
  errors.base.output_message = Silence;
  if (setjmp(errors.escape)) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, const_cast<unsigned char*>(bytes.data()), static_cast<unsigned long>(bytes.size()));
  if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK || info.image_width == 0 || info.image_height == 0 ||
      info.image_width > kLargestSide || info.image_height > kLargestSide ||
      static_cast<unsigned long long>(info.image_width) * info.image_height > kLargestPixelCount) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  info.out_color_space = JCS_RGB;
  jpeg_start_decompress(&info);
  picture.width = static_cast<int>(info.output_width);
  picture.height = static_cast<int>(info.output_height);
  try {
    picture.pixels.resize(static_cast<std::size_t>(picture.width) * picture.height);
    row.resize(static_cast<std::size_t>(picture.width) * 3);
  } catch (const std::bad_alloc&) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  while (info.output_scanline < info.output_height) {
    unsigned char* rows[] = {row.data()};
    const unsigned y = info.output_scanline;
    if (jpeg_read_scanlines(&info, rows, 1) != 1) break;
    std::uint32_t* out = picture.pixels.data() + static_cast<std::size_t>(y) * picture.width;
    for (int x = 0; x < picture.width; ++x) {
      out[x] = (std::uint32_t{row[x * 3]} << 16) | (std::uint32_t{row[x * 3 + 1]} << 8) | row[x * 3 + 2];
    }
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  return true;
}

}  // namespace

std::optional<TPicture> DecodeJpeg(std::span<const std::uint8_t> bytes) {
  if (bytes.size() < 4) return std::nullopt;
  TPicture picture;
  std::vector<unsigned char> row;
  if (!Decode(bytes, picture, row)) return std::nullopt;
  return picture;
}

}  // namespace pageplayer
