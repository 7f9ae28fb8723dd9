// The page a person typed into the Go to page box.
#pragma once

#include <optional>
#include <string_view>

// The page `text` names when it is a whole number from 1 to `pageCount`,
// blanks around it allowed; nothing for anything else (letters, a sign, a
// fraction, a number outside the book).
std::optional<int> ParsePageNumber(std::string_view text, int pageCount);
