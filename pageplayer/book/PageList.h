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

// A small tolerant reader for this one element shape: any prolog, comments,
// attribute order and quoting, entities of the five predefined kinds and
// numeric ones. A document without a book element or without a page that
// names its picture is no usable page list.
std::optional<TPageList> ParsePageList(std::string_view document);

}  // namespace pageplayer
