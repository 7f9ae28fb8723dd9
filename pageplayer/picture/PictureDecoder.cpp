#include "PictureDecoder.h"

#include <cstring>
#include <new>
#include <utility>

#include "BmpPicture.h"
#include "GifPicture.h"
#include "JpegPicture.h"
#include "PictureError.h"
#include "PictureScaling.h"
#include "PngPicture.h"

namespace pageplayer {

namespace {

bool StartsWith(std::span<const std::uint8_t> bytes, const char* signature, std::size_t length) {
  return bytes.size() >= length && std::memcmp(bytes.data(), signature, length) == 0;
}

// Decodes at full size, the way every format but JPEG must.
TDecodedPicture Fitted(TPicture picture, TDecodeBox box) {
  TDecodedPicture decoded;
  decoded.sourceWidth = picture.width;
  decoded.sourceHeight = picture.height;
  const TPictureSize shown = FitInto({picture.width, picture.height}, box);
  decoded.picture = ShrinkTo(std::move(picture), shown);
  return decoded;
}

TDecodedPicture DecodeByFormat(std::span<const std::uint8_t> bytes, TDecodeBox box) {
  // The name of a page says nothing reliable about its format; its first bytes do.
  if (StartsWith(bytes, "\xFF\xD8\xFF", 3)) return DecodeJpegPicture(bytes, box);
  if (StartsWith(bytes, "\x89PNG\r\n\x1A\n", 8)) return Fitted(DecodePng(bytes, box.paper), box);
  if (StartsWith(bytes, "GIF87a", 6) || StartsWith(bytes, "GIF89a", 6)) return Fitted(DecodeGif(bytes, box.paper), box);
  if (StartsWith(bytes, "BM", 2)) return Fitted(DecodeBmp(bytes), box);
  throw EPictureError("not a picture in a format the player knows (JPEG, PNG, GIF or BMP)");
}

}  // namespace

TDecodedPicture DecodePicture(std::span<const std::uint8_t> bytes, TDecodeBox box) {
  try {
    return DecodeByFormat(bytes, box);
  } catch (const EPictureError& error) {
    TDecodedPicture failed;
    failed.failure = error.Message();
    return failed;
  } catch (const std::bad_alloc&) {
    TDecodedPicture failed;
    failed.failure = "not enough memory to decode the picture";
    return failed;
  } catch (const std::exception& error) {
    // The page cache runs this wherever it likes: nothing may leave it.
    TDecodedPicture failed;
    failed.failure = std::string("the picture could not be decoded: ") + error.what();
    return failed;
  }
}

}  // namespace pageplayer
