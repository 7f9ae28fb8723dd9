#include "ui/Jpeg.h"

#include <csetjmp>
#include <cstdio>
#include <string>

#include <jpeglib.h>

namespace ui {

namespace {

// libjpeg ends a failed decode by calling error_exit, which must not return;
// the jump brings control back to DecodeJpeg, which raises the exception
// outside libjpeg's C frames.
struct ErrorManager {
  jpeg_error_mgr base;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

void OnJpegError(j_common_ptr info) {
  auto* errors = reinterpret_cast<ErrorManager*>(info->err);
  errors->base.format_message(info, errors->message);
  std::longjmp(errors->jump, 1);
}

void OnJpegMessage(j_common_ptr, int) {}

// Pixel limit well above any picture this program shows; guards against
// headers that promise gigabytes.
constexpr unsigned long long kMaxPixels = 16ull * 1024 * 1024;

}  // namespace

namespace {

// Everything that outlives a jump lives in the caller's frame, so no local
// of this function is read after longjmp.
bool DecodeInto(const std::uint8_t* data, std::size_t size, TDecodedImage& image, std::vector<std::uint8_t>& row,
                jpeg_decompress_struct& info, ErrorManager& errors) {
  info.err = jpeg_std_error(&errors.base);
  errors.base.error_exit = OnJpegError;
  errors.base.emit_message = OnJpegMessage;
  if (setjmp(errors.jump)) return false;
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, data, static_cast<unsigned long>(size));
  jpeg_read_header(&info, TRUE);
  info.out_color_space = JCS_RGB;
  jpeg_start_decompress(&info);
  if (static_cast<unsigned long long>(info.output_width) * info.output_height > kMaxPixels) {
    std::snprintf(errors.message, sizeof errors.message, "image of %ux%u pixels is too large",
                  static_cast<unsigned>(info.output_width), static_cast<unsigned>(info.output_height));
    return false;
  }
  image.Width = static_cast<int>(info.output_width);
  image.Height = static_cast<int>(info.output_height);
  image.Bgra.assign(static_cast<std::size_t>(image.Width) * image.Height * 4, 0);
  row.resize(static_cast<std::size_t>(info.output_width) * 3);
  while (info.output_scanline < info.output_height) {
    JSAMPROW rows[1] = {row.data()};
    std::size_t y = info.output_scanline;
    jpeg_read_scanlines(&info, rows, 1);
    std::uint8_t* out = image.Bgra.data() + y * image.Width * 4;
    for (int x = 0; x < image.Width; ++x) {
      const std::uint8_t* in = row.data() + x * 3;
      out[x * 4 + 0] = in[2];
      out[x * 4 + 1] = in[1];
      out[x * 4 + 2] = in[0];
      out[x * 4 + 3] = 255;
    }
  }
  jpeg_finish_decompress(&info);
  return true;
}

}  // namespace

TDecodedImage DecodeJpeg(const std::uint8_t* data, std::size_t size) {
  if (!data || size < 4 || data[0] != 0xFF || data[1] != 0xD8) throw EInvalidGraphic("JPEG error: not a JPEG image");
  TDecodedImage image;
  std::vector<std::uint8_t> row;
  jpeg_decompress_struct info{};
  ErrorManager errors{};
  bool ok = DecodeInto(data, size, image, row, info, errors);
  jpeg_destroy_decompress(&info);
  if (!ok) throw EInvalidGraphic(std::string("JPEG error: ") + errors.message);
  return image;
}

}  // namespace ui
