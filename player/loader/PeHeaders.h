#pragma once
#include <windows.h>

#include <cstdint>

#include "player/loader/BoundedMemory.h"

namespace vell::player {

// The parts of a PE32 image's headers that mapping needs, read with bounds
// checks from a file copy or from a mapped image.
struct TPeHeaders {
  IMAGE_FILE_HEADER File{};
  IMAGE_OPTIONAL_HEADER32 Optional{};
  std::uint64_t SectionTableOffset = 0;

  // Read from the DOS header's e_lfanew on; nothing is validated beyond
  // the structures lying inside `image`.
  static TPeHeaders Read(const TBoundedMemory& image);

  // Data directory `index`, or an empty one when the optional header is too
  // short to hold it.
  IMAGE_DATA_DIRECTORY Directory(unsigned index) const;

  IMAGE_SECTION_HEADER Section(const TBoundedMemory& image, unsigned index) const;

private:
  std::uint16_t optionalSize_ = 0;
};

}  // namespace vell::player
