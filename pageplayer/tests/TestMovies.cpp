#include "TestMovies.h"

#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include <jpeglib.h>
#include <zlib.h>

namespace pageplayer::testing {

std::vector<std::uint8_t> MovieBytes(const char* signature, int width, int height, std::size_t padding) {
  std::vector<std::uint8_t> body;
  std::uint32_t bits = 0;
  int used = 0;
  auto put = [&](std::uint32_t value, int count) {
    for (int i = count - 1; i >= 0; --i) {
      bits = (bits << 1) | ((value >> i) & 1);
      if (++used == 8) {
        body.push_back(static_cast<std::uint8_t>(bits));
        bits = 0;
        used = 0;
      }
    }
  };
  // 16-bit twips fields, then 24 frames a second and 7 frames.
  put(16, 5);
  put(0, 16);
  put(width * 20, 16);
  put(0, 16);
  put(height * 20, 16);
  if (used) put(0, 8 - used);
  for (std::uint8_t byte : {0, 24, 7, 0, 0, 0}) body.push_back(byte);
  // Bytes that do not compress, as a movie's pictures and sounds would.
  std::uint32_t noise = 12345;
  for (std::size_t i = 0; i < padding; ++i) {
    noise = noise * 1103515245u + 12345u;
    body.push_back(static_cast<std::uint8_t>(noise >> 24));
  }
  const auto length = static_cast<std::uint32_t>(8 + body.size());
  std::vector<std::uint8_t> movie{static_cast<std::uint8_t>(signature[0]), static_cast<std::uint8_t>(signature[1]),
                                  static_cast<std::uint8_t>(signature[2]), 10};
  for (int i = 0; i < 4; ++i) movie.push_back(static_cast<std::uint8_t>(length >> (8 * i)));
  if (signature[0] == 'C') {
    uLongf size = compressBound(static_cast<uLong>(body.size()));
    std::vector<std::uint8_t> packed(size);
    compress(packed.data(), &size, body.data(), static_cast<uLong>(body.size()));
    packed.resize(size);
    body = packed;
  }
  movie.insert(movie.end(), body.begin(), body.end());
  return movie;
}

std::vector<std::uint8_t> JpegOfPixels(int width, int height, const std::vector<std::uint8_t>& rgb) {
  if (rgb.size() != static_cast<std::size_t>(width) * height * 3) throw std::invalid_argument("pixels do not fill the picture");
  jpeg_compress_struct info{};
  jpeg_error_mgr errors{};
  info.err = jpeg_std_error(&errors);
  jpeg_create_compress(&info);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &buffer, &size);
  info.image_width = width;
  info.image_height = height;
  info.input_components = 3;
  info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, 95, TRUE);
  jpeg_start_compress(&info, TRUE);
  const std::size_t stride = static_cast<std::size_t>(width) * 3;
  while (info.next_scanline < info.image_height) {
    JSAMPROW rows[] = {const_cast<std::uint8_t*>(rgb.data()) + info.next_scanline * stride};
    jpeg_write_scanlines(&info, rows, 1);
  }
  jpeg_finish_compress(&info);
  std::vector<std::uint8_t> bytes(buffer, buffer + size);
  jpeg_destroy_compress(&info);
  std::free(buffer);
  return bytes;
}

std::vector<std::uint8_t> SolidJpeg(int width, int height, std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
  std::vector<std::uint8_t> rgb;
  rgb.reserve(static_cast<std::size_t>(width) * height * 3);
  for (int i = 0; i < width * height; ++i) rgb.insert(rgb.end(), {red, green, blue});
  return JpegOfPixels(width, height, rgb);
}

}  // namespace pageplayer::testing
