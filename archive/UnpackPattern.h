// Wildcard matching of entry paths for extraction.
#pragma once

#include <string_view>

// Matches an entry path against a pattern, both already lower-cased.
// "?" is any one character, "*" any run (also across "\"), "<...>" one
// character in a set of characters and ranges ("<a-z_>", negated by a leading
// "!" or "^"), and "*" right before a set a run of characters from that set.
// A malformed set (unclosed, empty, or a range without an upper end) matches
// nothing.
bool MatchWildcard(std::string_view pattern, std::string_view name);
