#pragma once
#include <cstdint>
#include <optional>
#include <span>

#include "Picture.h"
#include "PictureDecoder.h"
#include "PictureScaling.h"

namespace pageplayer {

// A JPEG picture of any kind books carry (baseline, progressive,
// arithmetic-coded, grayscale, RGB, CMYK and YCCK with the APP14 marker, inverted),
// upright as its EXIF orientation says, fitted into the box. The codec
// decodes at the smallest of 1/8, 1/4, 1/2 and full size that still covers
// the box, and the rest is averaged down. Raises EPictureError.
TDecodedPicture DecodeJpegPicture(std::span<const std::uint8_t> bytes, TDecodeBox box);

// The reduction (1, 2, 4 or 8) the codec decodes a picture stored at
// `stored` with, to be averaged down to `wanted`: the largest that still
// gives at least `wanted`, as averaging more pixels looks better than
// inventing them and reducing in the codec is far faster than averaging.
unsigned JpegReduction(TPictureSize stored, TPictureSize wanted);

// Full resolution, upright; none when the bytes are not a JPEG picture that decodes.
std::optional<TPicture> DecodeJpeg(std::span<const std::uint8_t> bytes);

}  // namespace pageplayer
