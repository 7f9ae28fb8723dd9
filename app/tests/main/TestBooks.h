// Books and other files written by the tests themselves: a stored ZIP with
// the given entries, written the way any ZIP tool lays it out.
#pragma once

#include <string>
#include <utility>
#include <vector>

using TZipEntries = std::vector<std::pair<std::string, std::string>>;  // name, bytes

void WriteStoredZip(const std::string& path, const TZipEntries& entries);
void WriteFile(const std::string& path, const std::string& bytes);
std::string ReadFileBytes(const std::string& path);

// A fresh, empty folder under the system's temporary folder, ending in "\".
std::string MakeTempFolder(const std::string& tag);
