// Which book, if any, the command line names at start.
#pragma once

#include <optional>
#include <string>
#include <vector>

// `arguments` are the program's arguments after the platform's splitting,
// without the program itself. Only the first counts: it must contain "-S" in
// any case and end in ".vlq" in any case; the book path is that argument
// from its third character on. Otherwise no book (the start-up panel shows).
std::optional<std::string> BookPathFromArguments(const std::vector<std::string>& arguments);
