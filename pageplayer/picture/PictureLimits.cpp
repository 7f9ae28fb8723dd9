#include "PictureLimits.h"

#include <string>

#include "PictureError.h"

namespace pageplayer {

void CheckPictureSize(std::uint64_t width, std::uint64_t height) {
  const std::string size = std::to_string(width) + " x " + std::to_string(height) + " pixels";
  if (width == 0 || height == 0) throw EPictureError("the picture declares " + size);
  if (width > kLargestPictureSide || height > kLargestPictureSide || width * height > kLargestPicturePixels) {
    throw EPictureError("the picture declares " + size + ", more than the " + std::to_string(kLargestPicturePixels) +
                        " pixels (and " + std::to_string(kLargestPictureSide) + " a side) a page may have");
  }
}

}  // namespace pageplayer
