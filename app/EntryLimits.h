// How much of a book the reader agrees to hold in memory at once. A book is
// a file from anywhere and deflate expands about a thousandfold, so the sizes
// an entry declares are believed only up to these bounds; an entry above its
// bound is refused, and the refusal is logged.
#pragma once

#include <cstdint>

namespace EntryLimits {

// ExeConfig.xml carries a caption and three numbers, index.html is read for
// its title only: real ones are a few kilobytes. A megabyte leaves room for a
// verbose page while nothing a book declares there costs memory worth noting.
inline constexpr std::uint64_t kSettingsBytes = std::uint64_t{1} << 20;

// The movie is held whole by the player. The largest movies books carry are
// tens of megabytes; a quarter of a gigabyte is generous for them and still
// leaves a 32-bit reader room for its pages.
inline constexpr std::uint64_t kMovieBytes = std::uint64_t{256} << 20;

// A page, picture or run-time file answered to the player is held whole while
// it is handed over: the same reasoning and bound as the movie's.
inline constexpr std::uint64_t kResourceBytes = std::uint64_t{256} << 20;

}  // namespace EntryLimits
