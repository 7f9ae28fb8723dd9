#pragma once
#include <windows.h>

#include <cstdint>

#include "player/loader/BoundedMemory.h"

namespace vell::player {

// The parts of a PE image's headers that mapping needs, read with bounds
// checks from a file copy or from a mapped image. Both optional-header
// kinds are read: PE32 (32-bit images) and PE32+ (64-bit images).
struct TPeHeaders {
  IMAGE_FILE_HEADER File{};
  bool Is64 = false;  // PE32+: 64-bit addresses, import thunks and fix-ups
  std::uint32_t AddressOfEntryPoint = 0;
  std::uint64_t ImageBase = 0;
  std::uint32_t SectionAlignment = 0;
  std::uint32_t SizeOfImage = 0;
  std::uint32_t SizeOfHeaders = 0;
  std::uint64_t SectionTableOffset = 0;

  // Read from the DOS header's e_lfanew on; nothing is validated beyond
  // the structures lying inside `image` and the optional header being of
  // a known kind.
  static TPeHeaders Read(const TBoundedMemory& image);

  // Data directory `index`, or an empty one when the optional header is too
  // short to hold it.
  IMAGE_DATA_DIRECTORY Directory(unsigned index) const;

  IMAGE_SECTION_HEADER Section(const TBoundedMemory& image, unsigned index) const;

  // Bytes of one import thunk or address slot: 8 in a PE32+ image, else 4.
  unsigned ThunkSize() const { return Is64 ? 8 : 4; }

private:
  IMAGE_DATA_DIRECTORY directories_[IMAGE_NUMBEROF_DIRECTORY_ENTRIES]{};
  unsigned directoryCount_ = 0;
};

}  // namespace vell::player
