#include "BmpPicture.h"

#include <bit>
#include <string>
#include <vector>

#include "PictureError.h"
#include "PictureLimits.h"

namespace pageplayer {

namespace {

constexpr std::uint64_t kFileHeaderSize = 14;
constexpr std::uint32_t kCoreHeaderSize = 12;
constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::uint32_t kRgb = 0, kBitFields = 3, kAlphaBitFields = 6;

// Little-endian numbers at offsets the file gives, each checked against its end.
class TBmpBytes {
public:
  explicit TBmpBytes(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

  bool Has(std::uint64_t offset, std::uint64_t count) const {
    return offset <= bytes_.size() && count <= bytes_.size() - offset;
  }

  std::uint32_t Number(std::uint64_t offset, int size) const {
    if (!Has(offset, size)) throw EPictureError("a BMP picture cut off in its headers");
    std::uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i) value = value << 8 | bytes_[offset + i];
    return value;
  }

  const std::uint8_t* At(std::uint64_t offset) const { return bytes_.data() + offset; }

private:
  std::span<const std::uint8_t> bytes_;
};

// One colour channel of a masked pixel, brought to 8 bits.
struct TChannel {
  std::uint32_t mask = 0;
  int shift = 0;
  std::uint32_t largest = 0;

  explicit TChannel(std::uint32_t m) : mask(m) {
    if (!mask) return;
    shift = std::countr_zero(mask);
    largest = mask >> shift;
  }

  std::uint32_t From(std::uint32_t pixel) const {
    if (!mask) return 0;
    return (((pixel & mask) >> shift) * 255 + largest / 2) / largest;
  }
};

struct THeader {
  std::int64_t width = 0;
  std::int64_t height = 0;  // negative: top row first
  std::uint32_t bits = 0;
  std::uint32_t compression = kRgb;
  std::uint32_t masks[3] = {};
  std::uint64_t paletteAt = 0;
  std::uint32_t paletteEntrySize = 4;
  std::uint32_t paletteCount = 0;
};

THeader ReadHeader(const TBmpBytes& bmp) {
  if (bmp.Number(0, 2) != 0x4D42) throw EPictureError("not a BMP picture");
  THeader header;
  const std::uint32_t size = bmp.Number(kFileHeaderSize, 4);
  const std::uint64_t at = kFileHeaderSize;
  if (size == kCoreHeaderSize) {
    header.width = bmp.Number(at + 4, 2);
    header.height = bmp.Number(at + 6, 2);
    header.bits = bmp.Number(at + 10, 2);
    header.paletteEntrySize = 3;
  } else if (size >= kInfoHeaderSize) {
    header.width = static_cast<std::int32_t>(bmp.Number(at + 4, 4));
    header.height = static_cast<std::int32_t>(bmp.Number(at + 8, 4));
    header.bits = bmp.Number(at + 14, 2);
    header.compression = bmp.Number(at + 16, 4);
    header.paletteCount = bmp.Number(at + 32, 4);
    // Masks follow a plain info header, and sit inside every later one.
    if (header.compression == kBitFields || header.compression == kAlphaBitFields) {
      for (int i = 0; i < 3; ++i) header.masks[i] = bmp.Number(at + kInfoHeaderSize + 4 * i, 4);
    }
  } else {
    throw EPictureError("a BMP picture with an unknown header of " + std::to_string(size) + " bytes");
  }
  header.paletteAt = at + size;
  if (size == kInfoHeaderSize && header.compression == kBitFields) header.paletteAt += 12;
  if (size == kInfoHeaderSize && header.compression == kAlphaBitFields) header.paletteAt += 16;
  return header;
}

std::vector<std::uint32_t> ReadPalette(const TBmpBytes& bmp, const THeader& header) {
  const std::uint32_t largest = 1u << header.bits;
  const std::uint32_t count = header.paletteCount == 0 || header.paletteCount > largest ? largest : header.paletteCount;
  // Indexes past the palette show black, as the platform draws them.
  std::vector<std::uint32_t> palette(largest, 0);
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::uint64_t entry = header.paletteAt + std::uint64_t{i} * header.paletteEntrySize;
    if (!bmp.Has(entry, 3)) throw EPictureError("a BMP picture cut off in its palette");
    palette[i] = bmp.Number(entry, 3);
  }
  return palette;
}

}  // namespace

TPicture DecodeBmp(std::span<const std::uint8_t> bytes) {
  const TBmpBytes bmp(bytes);
  const THeader header = ReadHeader(bmp);
  const bool topDown = header.height < 0;
  const std::uint64_t width = header.width < 0 ? 0 : header.width;
  const std::uint64_t height = topDown ? -header.height : header.height;
  CheckPictureSize(width, height);

  const std::uint32_t bits = header.bits;
  const bool masked = header.compression == kBitFields || header.compression == kAlphaBitFields;
  const bool paletted = bits == 1 || bits == 4 || bits == 8;
  if (header.compression != kRgb && !(masked && (bits == 16 || bits == 32))) {
    throw EPictureError("a compressed BMP picture (method " + std::to_string(header.compression) + ")");
  }
  if (!paletted && bits != 16 && bits != 24 && bits != 32) {
    throw EPictureError("a BMP picture of " + std::to_string(bits) + " bits a pixel");
  }
  const std::vector<std::uint32_t> palette = paletted ? ReadPalette(bmp, header) : std::vector<std::uint32_t>{};
  std::uint32_t masks[3] = {header.masks[0], header.masks[1], header.masks[2]};
  if (!masked && bits == 16) masks[0] = 0x7C00, masks[1] = 0x03E0, masks[2] = 0x001F;
  if (!masked && bits == 32) masks[0] = 0xFF0000, masks[1] = 0x00FF00, masks[2] = 0x0000FF;
  const TChannel red(masks[0]), green(masks[1]), blue(masks[2]);

  const std::uint64_t stride = (width * bits + 31) / 32 * 4;
  const std::uint64_t pixelsAt = bmp.Number(10, 4);
  if (!bmp.Has(pixelsAt, stride * height)) throw EPictureError("a BMP picture whose pixels run past its end");

  TPicture picture;
  picture.width = static_cast<int>(width);
  picture.height = static_cast<int>(height);
  picture.pixels.resize(width * height);
  for (std::uint64_t y = 0; y < height; ++y) {
    const std::uint8_t* row = bmp.At(pixelsAt + stride * (topDown ? y : height - 1 - y));
    std::uint32_t* out = picture.pixels.data() + y * width;
    for (std::uint64_t x = 0; x < width; ++x) {
      if (paletted) {
        const std::uint64_t bit = x * bits;
        const std::uint32_t index = (row[bit / 8] >> (8 - bits - bit % 8)) & ((1u << bits) - 1);
        out[x] = palette[index];
      } else if (bits == 24) {
        const std::uint8_t* p = row + x * 3;
        out[x] = std::uint32_t{p[2]} << 16 | std::uint32_t{p[1]} << 8 | p[0];
      } else {
        const std::uint8_t* p = row + x * (bits / 8);
        std::uint32_t value = p[0] | std::uint32_t{p[1]} << 8;
        if (bits == 32) value |= std::uint32_t{p[2]} << 16 | std::uint32_t{p[3]} << 24;
        out[x] = red.From(value) << 16 | green.From(value) << 8 | blue.From(value);
      }
    }
  }
  return picture;
}

}  // namespace pageplayer
