// What both fuzz targets stand on: the archive made of the input bytes after
// the options byte, held in memory under one name. Every other file is
// missing, and every question a message box would ask is answered with Cancel.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "MemoryPlatform.h"

namespace fuzzing {

inline constexpr const char* kArchiveName = "fuzz.zip";

class TFuzzPlatform : public testsupport::TMemoryPlatform {
public:
  TFuzzPlatform(const std::uint8_t* archive, std::size_t size) {
    SystemFiles = false;
    PutFile(kArchiveName, std::string(reinterpret_cast<const char*>(archive), size));
  }
};

}  // namespace fuzzing
