#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pageplayer {

// The book's page list: <book title="..."><page src="files/pages/001.jpg"/>…</book>.
struct TPageList {
  std::string title;               // UTF-8 as written
  std::vector<std::string> pages;  // page addresses relative to the movie
};

// A long book has a few thousand pages, and its list a few hundred
// kilobytes. A list beyond either bound comes from a book made to exhaust
// the reader (each page holds a slot in the page table and in the reading
// ahead), so it is refused whole: a silently cut book would look complete.
inline constexpr std::size_t kLargestPageList = std::size_t{4} << 20;  // bytes
inline constexpr std::size_t kMostPages = 20000;

// A small tolerant reader for this one element shape: any prolog, comments,
// attribute order and quoting, entities of the five predefined kinds and
// numeric ones. A document without a book element or without a page that
// names its picture is no usable page list, nor is one over the bounds
// above.
std::optional<TPageList> ParsePageList(std::string_view document);

}  // namespace pageplayer
