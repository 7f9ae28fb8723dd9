#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace pageplayer {

// Looks up the file-opening function once, when the module starts: by name,
// so that whoever maps the module may answer that look-up with its own.
void LookUpFileFunctions();

// The whole file at a path, read with the system's file functions; none when
// it cannot be opened or read.
std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::wstring& path);

}  // namespace pageplayer
