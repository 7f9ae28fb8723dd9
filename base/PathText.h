// File-name text of paths, with any of "\", "/" or ":" as separator.
#pragma once

#include <string>

// The path without the extension of its last component.
inline std::string WithoutExtension(const std::string& path) {
  const auto dot = path.find_last_of('.');
  const auto separator = path.find_last_of("\\/:");
  if (dot == std::string::npos || (separator != std::string::npos && dot < separator)) return path;
  return path.substr(0, dot);
}

// The folder part of a path including its final separator; empty for a bare
// name. "C:book.vlq" gives "C:", as a drive-relative name must.
inline std::string FolderPart(const std::string& path) {
  const auto separator = path.find_last_of("\\/:");
  return separator == std::string::npos ? std::string() : path.substr(0, separator + 1);
}
