#include "PngPicture.h"

#include <memory>
#include <string>

#include <spng.h>

#include "PaperCompositing.h"
#include "PictureError.h"
#include "PictureLimits.h"

namespace pageplayer {

namespace {

// Text and other side chunks of a page picture are never needed whole: a
// book that declares huge ones is refused instead of buffered.
constexpr std::size_t kLargestSideChunk = 1 << 20;
constexpr std::size_t kLargestSideChunks = 4 << 20;

struct TContextFree {
  void operator()(spng_ctx* context) const { spng_ctx_free(context); }
};

void Check(int error) {
  if (error) throw EPictureError(std::string("not a PNG picture that decodes: ") + spng_strerror(error));
}

}  // namespace

TPicture DecodePng(std::span<const std::uint8_t> bytes, std::uint32_t paper) {
  const std::unique_ptr<spng_ctx, TContextFree> context(spng_ctx_new(0));
  if (!context) throw EPictureError("no memory for a PNG decoder");
  spng_ctx* png = context.get();
  Check(spng_set_chunk_limits(png, kLargestSideChunk, kLargestSideChunks));
  Check(spng_set_png_buffer(png, bytes.data(), bytes.size()));
  spng_ihdr header{};
  Check(spng_get_ihdr(png, &header));
  CheckPictureSize(header.width, header.height);

  TPicture picture;
  picture.width = static_cast<int>(header.width);
  picture.height = static_cast<int>(header.height);
  picture.pixels.resize(static_cast<std::size_t>(header.width) * header.height);
  // Decoded as red-green-blue-alpha bytes into the picture's own memory,
  // then turned into pixels in place.
  Check(spng_decode_image(png, picture.pixels.data(), picture.pixels.size() * 4, SPNG_FMT_RGBA8, SPNG_DECODE_TRNS));
  const auto* rgba = reinterpret_cast<const std::uint8_t*>(picture.pixels.data());
  for (std::uint32_t& pixel : picture.pixels) {
    pixel = OverPaper(rgba[0], rgba[1], rgba[2], rgba[3], paper);
    rgba += 4;
  }
  return picture;
}

}  // namespace pageplayer
