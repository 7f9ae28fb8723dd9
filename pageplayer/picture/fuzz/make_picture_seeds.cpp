// Writes the seed corpus of fuzz_picture: one small picture of each kind the
// decoders take, each behind the option byte that picks the box.
// usage: make_picture_seeds OUTDIR
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "PictureFixtures.h"

namespace fixtures = pageplayer::testing;

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_picture_seeds OUTDIR\n");
    return 2;
  }
  const std::filesystem::path out = argv[1];
  std::filesystem::create_directories(out);
  const auto rgb = [](int x, int y) {
    const auto c = fixtures::QuarterColour(x, y, 16, 12);
    return std::vector<int>{c.red, c.green, c.blue};
  };
  const std::vector<std::uint8_t> palette = {220, 30, 30, 30, 200, 40, 40, 40, 210, 230, 220, 40};
  const auto index = [](int x, int y) { return std::vector<int>{(y >= 6 ? 2 : 0) + (x >= 8 ? 1 : 0)}; };
  const std::vector<fixtures::TRgb> colours(fixtures::kQuarterColours, fixtures::kQuarterColours + 4);
  const auto gifIndex = [](int x, int y) { return (y >= 6 ? 2 : 0) + (x >= 8 ? 1 : 0); };
  const struct {
    const char* name;
    std::vector<std::uint8_t> bytes;
  } seeds[] = {
      {"baseline.jpg", fixtures::QuartersJpeg(16, 12, {})},
      {"progressive.jpg", fixtures::QuartersJpeg(16, 12, {.progressive = true})},
      {"arithmetic.jpg", fixtures::QuartersJpeg(16, 12, {.arithmetic = true})},
      {"gray.jpg", fixtures::QuartersJpeg(16, 12, {.stored = JCS_GRAYSCALE})},
      {"cmyk.jpg", fixtures::QuartersJpeg(16, 12, {.stored = JCS_CMYK})},
      {"ycck.jpg", fixtures::QuartersJpeg(16, 12, {.stored = JCS_YCCK, .progressive = true})},
      {"exif-6.jpg", fixtures::QuartersJpeg(16, 12, {.app1 = fixtures::ExifWithOrientation(6, false)})},
      {"exif-7-mm.jpg", fixtures::QuartersJpeg(16, 12, {.app1 = fixtures::ExifWithOrientation(7, true)})},
      {"rgb.png", fixtures::Png(16, 12, {}, rgb)},
      {"interlaced-16.png", fixtures::Png(16, 12, {.bitDepth = 16, .interlaced = true},
                                          [&](int x, int y) {
                                            auto s = rgb(x, y);
                                            for (int& v : s) v *= 257;
                                            return s;
                                          })},
      {"palette-trns.png", fixtures::Png(16, 12, {.colourType = 3, .palette = palette, .transparency = {255, 0}}, index)},
      {"gray-alpha.png", fixtures::Png(16, 12, {.colourType = 4}, [](int x, int) { return std::vector<int>{x * 16, x * 16}; })},
      {"frames.gif", fixtures::Gif(16, 12, colours, {{0, 0, 16, 12, false, 3, gifIndex}, {4, 4, 4, 4, false, -1, gifIndex}})},
      {"interlaced.gif", fixtures::Gif(16, 12, colours, {{2, 2, 12, 9, true, -1, gifIndex}})},
      {"palette.bmp", fixtures::QuartersBmp(16, 12, 8, false)},
      {"555.bmp", fixtures::QuartersBmp(16, 12, 16, true)},
      {"24.bmp", fixtures::QuartersBmp(16, 12, 24, false)},
      {"32.bmp", fixtures::QuartersBmp(16, 12, 32, true)},
  };
  int option = 0;
  for (const auto& seed : seeds) {
    std::ofstream file(out / seed.name, std::ios::binary);
    file.put(static_cast<char>(option++ % 8));
    file.write(reinterpret_cast<const char*>(seed.bytes.data()), static_cast<std::streamsize>(seed.bytes.size()));
  }
  std::printf("%zu seeds in %s\n", std::size(seeds), out.c_str());
  return 0;
}
