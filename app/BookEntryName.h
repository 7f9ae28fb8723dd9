// How a name given by the application or by the movie becomes an archive
// entry name.
#pragma once

#include <string>

// Every "./" removed (one left-to-right pass), then every "/" turned into "\".
std::string NormaliseBookEntryName(const std::string& name);
