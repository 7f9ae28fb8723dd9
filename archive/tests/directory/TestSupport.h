// What the directory tests share besides the archive test support: the
// archives made by real tools, and the names a reader lists.
#pragma once

#include <string>
#include <vector>

#include "ArchiveWriter.h"
#include "FileBytes.h"
#include "LittleEndianWriter.h"
#include "MemoryPlatform.h"
#include "ScratchFolder.h"

class TZipReader;

namespace testsupport {

// Folder of the archives made by real tools (make_fixtures.py).
std::string FixturePath(const std::string& relative);

// The full names of every entry, in the reader's order.
std::vector<std::string> Names(const TZipReader& reader);

}  // namespace testsupport
