#include "JpegEncoder.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <stdexcept>
// jpeglib.h expects size_t and FILE to be declared before it.
#include <jpeglib.h>

namespace {
[[noreturn]] void ThrowOnError(j_common_ptr cinfo) {
    char message[JMSG_LENGTH_MAX];
    (*cinfo->err->format_message)(cinfo, message);
    throw std::runtime_error(message);
}
} // namespace

std::vector<uint8_t> EncodeJpeg(const RgbImage& image, int quality) {
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr jerr{};
    cinfo.err = jpeg_std_error(&jerr);
    jerr.error_exit = ThrowOnError;
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    struct Guard {
        jpeg_compress_struct* c; unsigned char** b;
        ~Guard() { jpeg_destroy_compress(c); std::free(*b); }
    };
    jpeg_create_compress(&cinfo);
    Guard guard{&cinfo, &buffer};
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = static_cast<JDIMENSION>(image.width);
    cinfo.image_height = static_cast<JDIMENSION>(image.height);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(&image.pixels[static_cast<size_t>(cinfo.next_scanline) * image.width * 3]);
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    return std::vector<uint8_t>(buffer, buffer + size);
}
