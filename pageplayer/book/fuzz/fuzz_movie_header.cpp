// libFuzzer target over the movie header: any bytes give a header with a
// stage or none, and the movie's first bytes give the same answer as all of
// them (a player keeps only those).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>

#include "MovieHeader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> movie(data, size);
  const auto whole = pageplayer::ReadMovieHeader(movie);
  const auto start = pageplayer::ReadMovieHeader(movie.first(std::min(size, pageplayer::kMovieHeaderPrefix)));
  if (whole.has_value() != start.has_value()) __builtin_trap();
  if (!whole) return 0;
  if (whole->stageWidth <= 0 || whole->stageHeight <= 0) __builtin_trap();
  if (whole->stageWidth != start->stageWidth || whole->stageHeight != start->stageHeight ||
      whole->frameCount != start->frameCount)
    __builtin_trap();
  return 0;
}
