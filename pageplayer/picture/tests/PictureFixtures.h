#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include <jpeglib.h>

namespace pageplayer::testing {

struct TRgb {
  int red = 0, green = 0, blue = 0;
};

// A picture of four coloured quarters, top left red, top right green,
// bottom left blue, bottom right yellow: where each quarter ends up shows
// how the picture was turned, and each colour survives JPEG compression.
inline constexpr TRgb kQuarterColours[4] = {{220, 30, 30}, {30, 200, 40}, {40, 40, 210}, {230, 220, 40}};
TRgb QuarterColour(int x, int y, int width, int height);

// The pixel of a decoded picture as red, green and blue.
TRgb ColourOf(std::uint32_t pixel);

struct TJpegKind {
  J_COLOR_SPACE stored = JCS_YCbCr;  // JCS_CMYK and JCS_YCCK are written inverted, with the APP14 marker
  bool progressive = false;
  bool arithmetic = false;
  bool fullChroma = false;
  std::vector<std::uint8_t> app1{};  // written right after the start of the picture
};
std::vector<std::uint8_t> QuartersJpeg(int width, int height, const TJpegKind& kind);

// An EXIF APP1 segment's data whose first directory holds a date tag and the orientation.
std::vector<std::uint8_t> ExifWithOrientation(int orientation, bool bigEndian);

// A PNG written sample by sample: `samples(x, y)` gives the channels of one
// pixel as the colour type has them (palette: the index).
struct TPngKind {
  int colourType = 2;
  int bitDepth = 8;
  bool interlaced = false;
  std::vector<std::uint8_t> palette{};  // red, green, blue triples
  std::vector<std::uint8_t> transparency{};
};
std::vector<std::uint8_t> Png(int width, int height, const TPngKind& kind,
                              const std::function<std::vector<int>(int x, int y)>& samples);

// A GIF of the given frames, each with its own rectangle and indexes into
// the global colour table; a transparent index of -1 means none.
struct TGifFrame {
  int left = 0, top = 0, width = 0, height = 0;
  bool interlaced = false;
  int transparent = -1;
  std::function<int(int x, int y)> index;
};
std::vector<std::uint8_t> Gif(int width, int height, const std::vector<TRgb>& colours, const std::vector<TGifFrame>& frames);

// A BMP of 8 (palette of the quarters' four colours), 16 (5-5-5), 24 or 32
// bits showing the quarters, bottom-up unless told.
std::vector<std::uint8_t> QuartersBmp(int width, int height, int bits, bool topDown);

// Replaces the width and height of a PNG's header, keeping its check sum good.
void DeclarePngSize(std::vector<std::uint8_t>& png, std::uint32_t width, std::uint32_t height);

// A progressive JPEG's last scan repeated `times` more times before its end:
// the decoder only warns about each repeat.
void RepeatLastScan(std::vector<std::uint8_t>& jpeg, int times);

// Replaces the big-endian 16-bit width and height of a JPEG's frame header.
void DeclareJpegSize(std::vector<std::uint8_t>& jpeg, int width, int height);

}  // namespace pageplayer::testing
