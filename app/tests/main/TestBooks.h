// Books and other files written by the tests themselves: a stored ZIP with
// the given entries, written the way any ZIP tool lays it out.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "FileBytes.h"
#include "ScratchFolder.h"  // the folders the books are written into

using TZipEntries = std::vector<std::pair<std::string, std::string>>;  // name, bytes

void WriteStoredZip(const std::string& path, const TZipEntries& entries);

