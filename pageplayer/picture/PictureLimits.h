#pragma once
#include <cstdint>

namespace pageplayer {

// The largest picture a page may be, checked from its header before a byte
// of it is decoded: 25 M pixels are 100 MB decoded, which the 32-bit reader
// can still hold beside the movie, the archive and the page cache. An A3
// page scanned at 300 dpi is 17 M pixels.
inline constexpr std::uint64_t kLargestPicturePixels = 25'000'000;
// No side longer than this, however thin the picture: the stage draws through
// bitmaps whose sides are ints and whose rows are reckoned in bytes.
inline constexpr std::uint64_t kLargestPictureSide = 16384;

// Raises EPictureError for a picture of no pixels or of more than the bounds allow.
void CheckPictureSize(std::uint64_t width, std::uint64_t height);

}  // namespace pageplayer
