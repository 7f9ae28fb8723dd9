#include "JpegPicture.h"

#include <csetjmp>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include <jpeglib.h>

#include "PictureError.h"
#include "PictureLimits.h"
#include "PictureOrientation.h"
#include "PictureScaling.h"
#include "RowShrinker.h"

namespace pageplayer {

namespace {

struct TErrorManager {
  jpeg_error_mgr base;
  std::jmp_buf escape;
  char message[JMSG_LENGTH_MAX];
};

void LeaveDecoding(j_common_ptr info) {
  auto* errors = reinterpret_cast<TErrorManager*>(info->err);
  errors->base.format_message(info, errors->message);
  std::longjmp(errors->escape, 1);
}
void Silence(j_common_ptr) {}

// Each scan of a progressive picture goes over every coefficient again, so
// a small file of thousands of empty scans takes minutes; real pictures
// have about ten.
constexpr int kMostScans = 500;

void LimitScans(j_common_ptr common) {
  auto* info = reinterpret_cast<j_decompress_ptr>(common);
  if (info->input_scan_number <= kMostScans) return;
  auto* errors = reinterpret_cast<TErrorManager*>(info->err);
  std::snprintf(errors->message, sizeof errors->message, "a progressive picture of more than %d scans", kMostScans);
  std::longjmp(errors->escape, 1);
}

constexpr unsigned kApp1 = JPEG_APP0 + 1;

// What the header said, for the C++ side to judge between the two steps.
struct THeader {
  JDIMENSION width = 0;
  JDIMENSION height = 0;
  TOrientation orientation = kUpright;
};

// libjpeg leaves by longjmp: nothing with a destructor lives in the frames
// between setjmp and the jump, so the decoding is plain C in two steps
// around the size check, and every C++ object comes in from outside.
struct TJpegDecoding {
  jpeg_decompress_struct info{};
  TErrorManager errors{};
  jpeg_progress_mgr progress{};
  bool created = false;

  ~TJpegDecoding() {
    if (created) jpeg_destroy_decompress(&info);
  }
};

bool ReadHeader(TJpegDecoding& jpeg, std::span<const std::uint8_t> bytes, THeader& header) {
  jpeg_decompress_struct& info = jpeg.info;
  info.err = jpeg_std_error(&jpeg.errors.base);
  jpeg.errors.base.error_exit = LeaveDecoding;
  jpeg.errors.base.output_message = Silence;
  if (setjmp(jpeg.errors.escape)) return false;
  jpeg_create_decompress(&info);
  jpeg.created = true;
  jpeg.progress.progress_monitor = LimitScans;
  info.progress = &jpeg.progress;
  jpeg_mem_src(&info, bytes.data(), static_cast<unsigned long>(bytes.size()));
  jpeg_save_markers(&info, kApp1, 0xFFFF);
  jpeg_read_header(&info, TRUE);
  header.width = info.image_width;
  header.height = info.image_height;
  for (jpeg_saved_marker_ptr marker = info.marker_list; marker; marker = marker->next) {
    if (marker->marker != kApp1) continue;
    header.orientation = ExifOrientation({marker->data, marker->data_length});
    if (header.orientation != kUpright) break;
  }
  return true;
}

// CMYK with the APP14 colour-transform marker (and the YCCK that libjpeg turns into it) is stored inverted:
// 255 is no ink. Plain CMYK is not.
void CmykRowToPixels(const unsigned char* cmyk, std::uint32_t* out, JDIMENSION width, bool inverted) {
  for (JDIMENSION x = 0; x < width; ++x, cmyk += 4) {
    std::uint32_t c = cmyk[0], m = cmyk[1], y = cmyk[2], k = cmyk[3];
    if (!inverted) c = 255 - c, m = 255 - m, y = 255 - y, k = 255 - k;
    const auto channel = [k](std::uint32_t v) { return (v * k + 127) / 255; };
    out[x] = channel(c) << 16 | channel(m) << 8 | channel(y);
  }
}

// Decodes at 1/denominator of full size, handing each row (0x00RRGGBB) to
// `take` in the buffer `row`, which `place` may point into a picture of the
// decoded size instead.
template <typename TPlace, typename TTake>
bool DecodeScaled(TJpegDecoding& jpeg, unsigned denominator, std::vector<unsigned char>& cmykRow, TPlace place,
                  TTake take) {
  jpeg_decompress_struct& info = jpeg.info;
  if (setjmp(jpeg.errors.escape)) return false;
  info.scale_num = 1;
  info.scale_denom = denominator;
  const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
  info.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGRX;
  jpeg_start_decompress(&info);
  if (cmyk) cmykRow.resize(static_cast<std::size_t>(info.output_width) * 4);
  while (info.output_scanline < info.output_height) {
    std::uint32_t* out = place(info.output_scanline, info.output_width);
    JSAMPROW row = cmyk ? cmykRow.data() : reinterpret_cast<JSAMPROW>(out);
    if (jpeg_read_scanlines(&info, &row, 1) != 1) break;
    if (cmyk) CmykRowToPixels(cmykRow.data(), out, info.output_width, info.saw_Adobe_marker);
    for (JDIMENSION x = 0; x < info.output_width; ++x) out[x] &= 0xFFFFFF;
    take(out);
  }
  jpeg_finish_decompress(&info);
  return true;
}

// The size libjpeg decodes a side to at 1/denominator.
int Reduced(int side, unsigned denominator) {
  return static_cast<int>((static_cast<unsigned>(side) + denominator - 1) / denominator);
}

std::string Failure(const TJpegDecoding& jpeg) {
  return std::string("not a JPEG picture that decodes: ") + jpeg.errors.message;
}

}  // namespace

unsigned JpegReduction(TPictureSize stored, TPictureSize wanted) {
  for (const int denominator : {8, 4, 2}) {
    const auto reduced = [denominator](int side) { return (side + denominator - 1) / denominator; };
    if (reduced(stored.width) >= wanted.width && reduced(stored.height) >= wanted.height) return denominator;
  }
  return 1;
}

TDecodedPicture DecodeJpegPicture(std::span<const std::uint8_t> bytes, TDecodeBox box) {
  TJpegDecoding jpeg;
  THeader header;
  if (!ReadHeader(jpeg, bytes, header)) throw EPictureError(Failure(jpeg));
  CheckPictureSize(header.width, header.height);

  const bool exchanged = ExchangesSides(header.orientation);
  const TPictureSize stored{static_cast<int>(header.width), static_cast<int>(header.height)};
  const TPictureSize upright = exchanged ? TPictureSize{stored.height, stored.width} : stored;
  const TPictureSize shown = FitInto(upright, box);
  const TPictureSize wanted = exchanged ? TPictureSize{shown.height, shown.width} : shown;

  // Reduced by libjpeg to the nearest size not below the wanted one, then
  // shrunk row by row as the rows arrive: the larger picture is never held.
  const unsigned denominator = JpegReduction(stored, wanted);
  const TPictureSize reduced{Reduced(stored.width, denominator), Reduced(stored.height, denominator)};
  std::vector<unsigned char> cmykRow;
  TPicture picture;
  if (reduced == wanted) {
    picture.width = wanted.width;
    picture.height = wanted.height;
    picture.pixels.resize(static_cast<std::size_t>(wanted.width) * wanted.height);
    const auto place = [&picture](JDIMENSION y, JDIMENSION width) { return picture.pixels.data() + std::size_t{y} * width; };
    if (!DecodeScaled(jpeg, denominator, cmykRow, place, [](const std::uint32_t*) {})) throw EPictureError(Failure(jpeg));
  } else {
    TRowShrinker shrinker(reduced, wanted);
    std::vector<std::uint32_t> row(static_cast<std::size_t>(reduced.width));
    const auto place = [&row](JDIMENSION, JDIMENSION) { return row.data(); };
    const auto take = [&shrinker](const std::uint32_t* pixels) { shrinker.AddRow(pixels); };
    if (!DecodeScaled(jpeg, denominator, cmykRow, place, take)) throw EPictureError(Failure(jpeg));
    picture = shrinker.Take();
  }

  TDecodedPicture decoded;
  decoded.sourceWidth = upright.width;
  decoded.sourceHeight = upright.height;
  decoded.picture = Orient(std::move(picture), header.orientation);
  return decoded;
}

std::optional<TPicture> DecodeJpeg(std::span<const std::uint8_t> bytes) {
  try {
    return std::move(DecodeJpegPicture(bytes, {}).picture);
  } catch (const EPictureError&) {
    return std::nullopt;
  }
}

}  // namespace pageplayer
