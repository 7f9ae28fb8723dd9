#include "MovieHeader.h"

#include <zlib.h>

#include <algorithm>
#include <vector>

namespace pageplayer {

namespace {

constexpr std::size_t kSignatureAndLength = 8;
// Rectangle (up to 17 bytes), frame rate and frame count: more than any header needs.
constexpr std::size_t kLongestHeaderBody = 17 + 4;
constexpr int kTwipsPerPixel = 20;

class TBitReader {
public:
  explicit TBitReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

  std::optional<std::uint32_t> Unsigned(int bits) {
    std::uint32_t value = 0;
    for (int i = 0; i < bits; ++i) {
      const std::size_t byte = position_ / 8;
      if (byte >= bytes_.size()) return std::nullopt;
      value = (value << 1) | ((bytes_[byte] >> (7 - position_ % 8)) & 1u);
      ++position_;
    }
    return value;
  }

  std::optional<std::int32_t> Signed(int bits) {
    const auto value = Unsigned(bits);
    if (!value) return std::nullopt;
    if (bits > 0 && bits < 32 && (*value & (1u << (bits - 1)))) return static_cast<std::int32_t>(*value | (~0u << bits));
    return static_cast<std::int32_t>(*value);
  }

  std::size_t BytesUsed() const { return (position_ + 7) / 8; }

private:
  std::span<const std::uint8_t> bytes_;
  std::size_t position_ = 0;
};

// Inflates the start of a compressed body: enough for the header, and a
// check that the stream really is zlib data.
std::optional<std::vector<std::uint8_t>> InflateStart(std::span<const std::uint8_t> compressed) {
  std::vector<std::uint8_t> out(kLongestHeaderBody);
  z_stream stream{};
  if (inflateInit(&stream) != Z_OK) return std::nullopt;
  stream.next_in = const_cast<Bytef*>(compressed.data());
  stream.avail_in = static_cast<uInt>(compressed.size());
  stream.next_out = out.data();
  stream.avail_out = static_cast<uInt>(out.size());
  const int result = inflate(&stream, Z_SYNC_FLUSH);
  const std::size_t produced = out.size() - stream.avail_out;
  inflateEnd(&stream);
  if (result != Z_OK && result != Z_STREAM_END && result != Z_BUF_ERROR) return std::nullopt;
  out.resize(produced);
  return out;
}

}  // namespace

std::optional<TMovieHeader> ReadMovieHeader(std::span<const std::uint8_t> movieStart) {
  const std::span<const std::uint8_t> movie = movieStart.first(std::min(movieStart.size(), kMovieHeaderPrefix));
  if (movie.size() < kSignatureAndLength) return std::nullopt;
  TMovieHeader header;
  if (movie[0] == 'C') {
    header.compressed = true;
  } else if (movie[0] != 'F') {
    return std::nullopt;
  }
  if (movie[1] != 'W' || movie[2] != 'S') return std::nullopt;
  header.version = movie[3];
  header.declaredLength = movie[4] | (movie[5] << 8) | (movie[6] << 16) | (static_cast<std::uint32_t>(movie[7]) << 24);

  std::vector<std::uint8_t> inflated;
  std::span<const std::uint8_t> body = movie.subspan(kSignatureAndLength);
  if (header.compressed) {
    auto start = InflateStart(body);
    if (!start) return std::nullopt;
    inflated = std::move(*start);
    body = inflated;
  }

  TBitReader bits(body);
  const auto width = bits.Unsigned(5);
  if (!width) return std::nullopt;
  const auto xMin = bits.Signed(*width), xMax = bits.Signed(*width);
  const auto yMin = bits.Signed(*width), yMax = bits.Signed(*width);
  if (!xMin || !xMax || !yMin || !yMax) return std::nullopt;
  const std::size_t afterRect = bits.BytesUsed();
  if (body.size() < afterRect + 4) return std::nullopt;
  header.stageWidth = (*xMax - *xMin) / kTwipsPerPixel;
  header.stageHeight = (*yMax - *yMin) / kTwipsPerPixel;
  if (header.stageWidth <= 0 || header.stageHeight <= 0) return std::nullopt;
  header.frameRate = body[afterRect + 1] + body[afterRect] / 256.0;
  header.frameCount = static_cast<std::uint16_t>(body[afterRect + 2] | (body[afterRect + 3] << 8));
  if (header.declaredLength < kSignatureAndLength + afterRect + 4) return std::nullopt;
  return header;
}

}  // namespace pageplayer
