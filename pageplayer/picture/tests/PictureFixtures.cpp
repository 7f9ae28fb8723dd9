#include "PictureFixtures.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include <gif_lib.h>
#include <zlib.h>

namespace pageplayer::testing {

namespace {

void Put32(std::vector<std::uint8_t>& out, std::uint32_t value, bool bigEndian) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(value >> (bigEndian ? 24 - 8 * i : 8 * i)));
}
void Put16(std::vector<std::uint8_t>& out, std::uint32_t value, bool bigEndian) {
  for (int i = 0; i < 2; ++i) out.push_back(static_cast<std::uint8_t>(value >> (bigEndian ? 8 - 8 * i : 8 * i)));
}

void PngChunk(std::vector<std::uint8_t>& png, const char* type, const std::vector<std::uint8_t>& data) {
  Put32(png, static_cast<std::uint32_t>(data.size()), true);
  const std::size_t start = png.size();
  png.insert(png.end(), type, type + 4);
  png.insert(png.end(), data.begin(), data.end());
  Put32(png, static_cast<std::uint32_t>(crc32(0, png.data() + start, static_cast<uInt>(png.size() - start))), true);
}

}  // namespace

TRgb QuarterColour(int x, int y, int width, int height) {
  return kQuarterColours[(y >= height / 2 ? 2 : 0) + (x >= width / 2 ? 1 : 0)];
}

TRgb ColourOf(std::uint32_t pixel) {
  return {static_cast<int>((pixel >> 16) & 0xFF), static_cast<int>((pixel >> 8) & 0xFF), static_cast<int>(pixel & 0xFF)};
}

std::vector<std::uint8_t> QuartersJpeg(int width, int height, const TJpegKind& kind) {
  const bool cmyk = kind.stored == JCS_CMYK || kind.stored == JCS_YCCK;
  jpeg_compress_struct info{};
  jpeg_error_mgr errors{};
  info.err = jpeg_std_error(&errors);
  jpeg_create_compress(&info);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &buffer, &size);
  info.image_width = width;
  info.image_height = height;
  info.input_components = cmyk ? 4 : 3;
  info.in_color_space = cmyk ? JCS_CMYK : JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_colorspace(&info, kind.stored);
  jpeg_set_quality(&info, 95, TRUE);
  if (kind.fullChroma || cmyk) {
    for (int c = 0; c < info.num_components; ++c) info.comp_info[c].h_samp_factor = info.comp_info[c].v_samp_factor = 1;
  }
  if (kind.progressive) jpeg_simple_progression(&info);
  info.arith_code = kind.arithmetic ? TRUE : FALSE;
  jpeg_start_compress(&info, TRUE);
  if (!kind.app1.empty()) jpeg_write_marker(&info, JPEG_APP0 + 1, kind.app1.data(), static_cast<unsigned>(kind.app1.size()));
  std::vector<unsigned char> row(static_cast<std::size_t>(width) * info.input_components);
  while (info.next_scanline < info.image_height) {
    const int y = static_cast<int>(info.next_scanline);
    for (int x = 0; x < width; ++x) {
      const TRgb c = QuarterColour(x, y, width, height);
      unsigned char* p = row.data() + static_cast<std::size_t>(x) * info.input_components;
      p[0] = c.red, p[1] = c.green, p[2] = c.blue;
      // Inverted ink, as print workflows write it with the APP14 marker: no black at all.
      if (cmyk) p[3] = 255;
    }
    JSAMPROW rows[] = {row.data()};
    jpeg_write_scanlines(&info, rows, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  std::vector<std::uint8_t> jpeg(buffer, buffer + size);
  std::free(buffer);
  return jpeg;
}

std::vector<std::uint8_t> ExifWithOrientation(int orientation, bool bigEndian) {
  std::vector<std::uint8_t> exif = {'E', 'x', 'i', 'f', 0, 0};
  const char order = bigEndian ? 'M' : 'I';
  exif.insert(exif.end(), {static_cast<std::uint8_t>(order), static_cast<std::uint8_t>(order)});
  Put16(exif, 42, bigEndian);
  Put32(exif, 8, bigEndian);
  Put16(exif, 2, bigEndian);
  // A date-time tag before it, pointing past the directory, as cameras write.
  Put16(exif, 0x0132, bigEndian), Put16(exif, 2, bigEndian), Put32(exif, 20, bigEndian), Put32(exif, 38, bigEndian);
  Put16(exif, 0x0112, bigEndian), Put16(exif, 3, bigEndian), Put32(exif, 1, bigEndian);
  Put16(exif, static_cast<std::uint32_t>(orientation), bigEndian), Put16(exif, 0, bigEndian);
  Put32(exif, 0, bigEndian);
  const char date[] = "2024:01:02 03:04:05";
  exif.insert(exif.end(), date, date + sizeof date);
  return exif;
}

std::vector<std::uint8_t> Png(int width, int height, const TPngKind& kind,
                              const std::function<std::vector<int>(int x, int y)>& samples) {
  // Adam7: where each pass starts and how far it steps, in x and in y.
  struct TPass { int x0, y0, dx, dy; };
  std::vector<TPass> passes = {{0, 0, 1, 1}};
  if (kind.interlaced) passes = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4}, {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};
  std::vector<std::uint8_t> raw;
  for (const TPass& pass : passes) {
    if (pass.x0 >= width) continue;
    for (int y = pass.y0; y < height; y += pass.dy) {
      raw.push_back(0);  // no filter
      std::vector<std::uint8_t> row;
      int bitsUsed = 0;
      for (int x = pass.x0; x < width; x += pass.dx) {
        for (const int value : samples(x, y)) {
          if (kind.bitDepth == 16) {
            row.push_back(static_cast<std::uint8_t>(value >> 8)), row.push_back(static_cast<std::uint8_t>(value));
          } else if (kind.bitDepth == 8) {
            row.push_back(static_cast<std::uint8_t>(value));
          } else {
            if (bitsUsed % 8 == 0) row.push_back(0);
            row.back() |= static_cast<std::uint8_t>(value << (8 - kind.bitDepth - bitsUsed % 8));
            bitsUsed += kind.bitDepth;
          }
        }
      }
      raw.insert(raw.end(), row.begin(), row.end());
    }
  }
  std::vector<std::uint8_t> compressed(compressBound(static_cast<uLong>(raw.size())));
  uLongf length = static_cast<uLongf>(compressed.size());
  if (compress(compressed.data(), &length, raw.data(), static_cast<uLong>(raw.size())) != Z_OK) throw std::runtime_error("zlib");
  compressed.resize(length);

  std::vector<std::uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<std::uint8_t> header;
  Put32(header, static_cast<std::uint32_t>(width), true);
  Put32(header, static_cast<std::uint32_t>(height), true);
  header.insert(header.end(), {static_cast<std::uint8_t>(kind.bitDepth), static_cast<std::uint8_t>(kind.colourType), 0, 0,
                               static_cast<std::uint8_t>(kind.interlaced ? 1 : 0)});
  PngChunk(png, "IHDR", header);
  if (!kind.palette.empty()) PngChunk(png, "PLTE", kind.palette);
  if (!kind.transparency.empty()) PngChunk(png, "tRNS", kind.transparency);
  PngChunk(png, "IDAT", compressed);
  PngChunk(png, "IEND", {});
  return png;
}

namespace {

int WriteGif(GifFileType* gif, const GifByteType* bytes, int count) {
  auto* out = static_cast<std::vector<std::uint8_t>*>(gif->UserData);
  out->insert(out->end(), bytes, bytes + count);
  return count;
}

}  // namespace

std::vector<std::uint8_t> Gif(int width, int height, const std::vector<TRgb>& colours, const std::vector<TGifFrame>& frames) {
  std::vector<std::uint8_t> out;
  int error = 0;
  GifFileType* gif = EGifOpen(&out, WriteGif, &error);
  if (!gif) throw std::runtime_error("EGifOpen");
  EGifSetGifVersion(gif, true);
  int size = 2;
  while (size < static_cast<int>(colours.size())) size *= 2;
  ColorMapObject* map = GifMakeMapObject(size, nullptr);
  for (std::size_t i = 0; i < colours.size(); ++i) {
    map->Colors[i] = {static_cast<GifByteType>(colours[i].red), static_cast<GifByteType>(colours[i].green),
                      static_cast<GifByteType>(colours[i].blue)};
  }
  EGifPutScreenDesc(gif, width, height, 8, 0, map);
  for (const TGifFrame& frame : frames) {
    GraphicsControlBlock control{};
    control.TransparentColor = frame.transparent;
    GifByteType extension[4];
    EGifGCBToExtension(&control, extension);
    EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, extension);
    EGifPutImageDesc(gif, frame.left, frame.top, frame.width, frame.height, frame.interlaced, nullptr);
    std::vector<int> order;
    if (frame.interlaced) {
      for (const auto& [first, step] : {std::pair{0, 8}, std::pair{4, 8}, std::pair{2, 4}, std::pair{1, 2}}) {
        for (int y = first; y < frame.height; y += step) order.push_back(y);
      }
    } else {
      for (int y = 0; y < frame.height; ++y) order.push_back(y);
    }
    std::vector<GifPixelType> line(static_cast<std::size_t>(frame.width));
    for (const int y : order) {
      for (int x = 0; x < frame.width; ++x) line[x] = static_cast<GifPixelType>(frame.index(x, y));
      EGifPutLine(gif, line.data(), frame.width);
    }
  }
  EGifCloseFile(gif, &error);
  GifFreeMapObject(map);
  return out;
}

std::vector<std::uint8_t> QuartersBmp(int width, int height, int bits, bool topDown) {
  const int stride = (width * bits + 31) / 32 * 4;
  const int paletteSize = bits == 8 ? 4 * 4 : 0;
  const std::uint32_t pixelsAt = 14 + 40 + paletteSize;
  std::vector<std::uint8_t> bmp = {'B', 'M'};
  Put32(bmp, pixelsAt + static_cast<std::uint32_t>(stride) * height, false);
  Put32(bmp, 0, false);
  Put32(bmp, pixelsAt, false);
  Put32(bmp, 40, false);
  Put32(bmp, static_cast<std::uint32_t>(width), false);
  Put32(bmp, static_cast<std::uint32_t>(topDown ? -height : height), false);
  Put16(bmp, 1, false);
  Put16(bmp, static_cast<std::uint32_t>(bits), false);
  for (int i = 0; i < 6; ++i) Put32(bmp, i == 4 && bits == 8 ? 4 : 0, false);
  if (bits == 8) {
    for (const TRgb& c : kQuarterColours) bmp.insert(bmp.end(), {static_cast<std::uint8_t>(c.blue), static_cast<std::uint8_t>(c.green), static_cast<std::uint8_t>(c.red), 0});
  }
  for (int row = 0; row < height; ++row) {
    const int y = topDown ? row : height - 1 - row;
    std::vector<std::uint8_t> line;
    for (int x = 0; x < width; ++x) {
      const TRgb c = QuarterColour(x, y, width, height);
      if (bits == 8) line.push_back(static_cast<std::uint8_t>((y >= height / 2 ? 2 : 0) + (x >= width / 2 ? 1 : 0)));
      if (bits == 16) Put16(line, static_cast<std::uint32_t>((c.red >> 3) << 10 | (c.green >> 3) << 5 | c.blue >> 3), false);
      if (bits >= 24) line.insert(line.end(), {static_cast<std::uint8_t>(c.blue), static_cast<std::uint8_t>(c.green), static_cast<std::uint8_t>(c.red)});
      if (bits == 32) line.push_back(0);
    }
    line.resize(static_cast<std::size_t>(stride), 0);
    bmp.insert(bmp.end(), line.begin(), line.end());
  }
  return bmp;
}

void DeclarePngSize(std::vector<std::uint8_t>& png, std::uint32_t width, std::uint32_t height) {
  std::vector<std::uint8_t> sizes;
  Put32(sizes, width, true);
  Put32(sizes, height, true);
  std::copy(sizes.begin(), sizes.end(), png.begin() + 16);
  std::vector<std::uint8_t> crc;
  Put32(crc, static_cast<std::uint32_t>(crc32(0, png.data() + 12, 17)), true);
  std::copy(crc.begin(), crc.end(), png.begin() + 29);
}

void RepeatLastScan(std::vector<std::uint8_t>& jpeg, int times) {
  std::size_t lastScan = 0;
  for (std::size_t i = 0; i + 1 < jpeg.size(); ++i) {
    if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xDA) lastScan = i;
  }
  if (!lastScan) throw std::runtime_error("no scan");
  const std::vector<std::uint8_t> scan(jpeg.begin() + static_cast<std::ptrdiff_t>(lastScan), jpeg.end() - 2);
  for (int i = 0; i < times; ++i) jpeg.insert(jpeg.end() - 2, scan.begin(), scan.end());
}

void DeclareJpegSize(std::vector<std::uint8_t>& jpeg, int width, int height) {
  // Segment by segment from the start of the picture to the frame header.
  for (std::size_t i = 2; i + 9 < jpeg.size(); i += 2 + (jpeg[i + 2] << 8 | jpeg[i + 3])) {
    if (jpeg[i] != 0xFF) break;
    if (jpeg[i + 1] == 0xC0 || jpeg[i + 1] == 0xC2) {
      jpeg[i + 5] = static_cast<std::uint8_t>(height >> 8), jpeg[i + 6] = static_cast<std::uint8_t>(height);
      jpeg[i + 7] = static_cast<std::uint8_t>(width >> 8), jpeg[i + 8] = static_cast<std::uint8_t>(width);
      return;
    }
  }
  throw std::runtime_error("no frame header");
}

}  // namespace pageplayer::testing
