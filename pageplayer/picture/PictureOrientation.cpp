#include "PictureOrientation.h"

#include <cstring>

namespace pageplayer {

namespace {

// Reads TIFF numbers in the byte order the EXIF block names, never past its end.
class TTiffReader {
public:
  explicit TTiffReader(std::span<const std::uint8_t> tiff) : tiff_(tiff) {}

  bool SetByteOrder() {
    if (tiff_.size() < 8) return false;
    if (tiff_[0] == 'I' && tiff_[1] == 'I') bigEndian_ = false;
    else if (tiff_[0] == 'M' && tiff_[1] == 'M') bigEndian_ = true;
    else return false;
    return Number(2, 2) == 42;
  }

  bool Has(std::uint64_t offset, std::uint64_t count) const { return offset <= tiff_.size() && count <= tiff_.size() - offset; }

  // Zero when the bytes are not all there; callers check with Has first where zero is a valid value.
  std::uint32_t Number(std::uint64_t offset, int bytes) const {
    if (!Has(offset, bytes)) return 0;
    std::uint32_t value = 0;
    for (int i = 0; i < bytes; ++i) {
      const std::uint32_t byte = tiff_[offset + (bigEndian_ ? i : bytes - 1 - i)];
      value = value << 8 | byte;
    }
    return value;
  }

private:
  std::span<const std::uint8_t> tiff_;
  bool bigEndian_ = false;
};

constexpr std::uint8_t kExifHeader[] = {'E', 'x', 'i', 'f', 0, 0};
constexpr std::uint32_t kOrientationTag = 0x0112;
constexpr std::uint32_t kShortType = 3;

}  // namespace

TOrientation ExifOrientation(std::span<const std::uint8_t> app1) {
  if (app1.size() < sizeof kExifHeader || std::memcmp(app1.data(), kExifHeader, sizeof kExifHeader) != 0) return kUpright;
  TTiffReader tiff(app1.subspan(sizeof kExifHeader));
  if (!tiff.SetByteOrder()) return kUpright;
  const std::uint64_t directory = tiff.Number(4, 4);
  if (!tiff.Has(directory, 2)) return kUpright;
  const std::uint32_t entries = tiff.Number(directory, 2);
  for (std::uint32_t i = 0; i < entries; ++i) {
    const std::uint64_t entry = directory + 2 + 12ull * i;
    if (!tiff.Has(entry, 12)) return kUpright;
    if (tiff.Number(entry, 2) != kOrientationTag) continue;
    if (tiff.Number(entry + 2, 2) != kShortType || tiff.Number(entry + 4, 4) != 1) return kUpright;
    const std::uint32_t value = tiff.Number(entry + 8, 2);
    return value >= 1 && value <= 8 ? static_cast<TOrientation>(value) : kUpright;
  }
  return kUpright;
}

TPicture Orient(TPicture stored, TOrientation orientation) {
  if (orientation < 2 || orientation > 8) return stored;
  const int w = stored.width, h = stored.height;
  TPicture upright;
  upright.width = ExchangesSides(orientation) ? h : w;
  upright.height = ExchangesSides(orientation) ? w : h;
  upright.pixels.resize(stored.pixels.size());
  const int uw = upright.width, uh = upright.height;
  std::uint32_t* out = upright.pixels.data();
  for (int y = 0; y < uh; ++y) {
    for (int x = 0; x < uw; ++x) {
      // The stored pixel that shows at (x, y) once upright.
      int sx = x, sy = y;
      switch (orientation) {
        case 2: sx = w - 1 - x; break;
        case 3: sx = w - 1 - x; sy = h - 1 - y; break;
        case 4: sy = h - 1 - y; break;
        case 5: sx = y; sy = x; break;
        case 6: sx = y; sy = uw - 1 - x; break;
        case 7: sx = uh - 1 - y; sy = uw - 1 - x; break;
        case 8: sx = uh - 1 - y; sy = x; break;
      }
      *out++ = stored.pixels[static_cast<std::size_t>(sy) * w + sx];
    }
  }
  return upright;
}

}  // namespace pageplayer
