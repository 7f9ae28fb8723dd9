#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace pageplayer {

// What the movie's header says about its stage. The movie's body is not
// played: it only gives the stage, the book itself comes from the page list.
struct TMovieHeader {
  bool compressed = false;
  std::uint8_t version = 0;
  std::uint32_t declaredLength = 0;
  int stageWidth = 0;  // pixels
  int stageHeight = 0;
  double frameRate = 0;
  std::uint16_t frameCount = 0;
};

// How much of the movie's start the header may take, compressed. A real
// encoder's first block needs a few hundred bytes at most; a stream that
// spends more before the stage's few bytes is not a playable movie. So a
// player keeps only this much of the movie, whatever size it declares.
inline constexpr std::size_t kMovieHeaderPrefix = 4096;

// Accepts "FWS" and "CWS" (the rest zlib-compressed) movies whose header is
// whole and whose stage is not empty; anything else is not a playable movie.
// Reads at most the first kMovieHeaderPrefix bytes of `movieStart`: the
// movie's first bytes give the same answer as the whole movie.
std::optional<TMovieHeader> ReadMovieHeader(std::span<const std::uint8_t> movieStart);

}  // namespace pageplayer
