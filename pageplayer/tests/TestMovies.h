#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace pageplayer::testing {

// A movie header for a stage of the given pixels: "FWS" plain, "CWS" with
// the body zlib-compressed, any other signature as given; `padding` bytes of
// the movie's body follow its header.
std::vector<std::uint8_t> MovieBytes(const char* signature, int width, int height, std::size_t padding = 0);

// A JPEG picture of `rgb`: width * height pixels of three bytes (red, green,
// blue), row after row, at quality 95.
std::vector<std::uint8_t> JpegOfPixels(int width, int height, const std::vector<std::uint8_t>& rgb);

// A JPEG picture of one colour.
std::vector<std::uint8_t> SolidJpeg(int width, int height, std::uint8_t red, std::uint8_t green, std::uint8_t blue);

}  // namespace pageplayer::testing
