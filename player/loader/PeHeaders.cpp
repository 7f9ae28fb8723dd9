#include "player/loader/PeHeaders.h"

#include <algorithm>
#include <cstddef>

namespace vell::player {

namespace {

constexpr std::uint64_t kNtSignatureSize = 4;

// Copies the fields of either optional-header kind; they differ in the
// width of ImageBase and the stack and heap sizes, and so in where the
// data directories start.
template <typename Optional>
void ReadOptional(const TBoundedMemory& image, std::uint64_t offset, std::uint16_t size, TPeHeaders& headers,
                  IMAGE_DATA_DIRECTORY* directories, unsigned& directoryCount) {
  constexpr std::size_t kDirectoriesOffset = offsetof(Optional, DataDirectory);
  if (size < kDirectoriesOffset) throw ELoaderError("the optional header is too short");
  Optional optional{};
  std::memcpy(&optional, image.Bytes(offset, size, "the optional header"), std::min<std::size_t>(size, sizeof optional));
  headers.AddressOfEntryPoint = optional.AddressOfEntryPoint;
  headers.ImageBase = optional.ImageBase;
  headers.SectionAlignment = optional.SectionAlignment;
  headers.SizeOfImage = optional.SizeOfImage;
  headers.SizeOfHeaders = optional.SizeOfHeaders;
  directoryCount = static_cast<unsigned>(
      std::min<std::size_t>((size - kDirectoriesOffset) / sizeof(IMAGE_DATA_DIRECTORY), IMAGE_NUMBEROF_DIRECTORY_ENTRIES));
  std::copy_n(optional.DataDirectory, directoryCount, directories);
}

}  // namespace

TPeHeaders TPeHeaders::Read(const TBoundedMemory& image) {
  TPeHeaders headers;
  const auto ntOffset = image.Read<LONG>(offsetof(IMAGE_DOS_HEADER, e_lfanew), "the DOS header");
  if (ntOffset < 0) throw ELoaderError("the NT headers lie outside the module image");
  const std::uint64_t fileHeaderOffset = static_cast<std::uint64_t>(ntOffset) + kNtSignatureSize;
  headers.File = image.Read<IMAGE_FILE_HEADER>(fileHeaderOffset, "the file header");

  const std::uint64_t optionalOffset = fileHeaderOffset + sizeof(IMAGE_FILE_HEADER);
  const std::uint16_t optionalSize = headers.File.SizeOfOptionalHeader;
  if (optionalSize < sizeof(WORD)) throw ELoaderError("the optional header is too short");
  const auto magic = image.Read<WORD>(optionalOffset, "the optional header");
  if (magic == IMAGE_NT_OPTIONAL_HDR32_MAGIC) {
    ReadOptional<IMAGE_OPTIONAL_HEADER32>(image, optionalOffset, optionalSize, headers, headers.directories_,
                                          headers.directoryCount_);
  } else if (magic == IMAGE_NT_OPTIONAL_HDR64_MAGIC) {
    headers.Is64 = true;
    ReadOptional<IMAGE_OPTIONAL_HEADER64>(image, optionalOffset, optionalSize, headers, headers.directories_,
                                          headers.directoryCount_);
  } else {
    throw ELoaderError("the optional header is of no known kind");
  }
  headers.SectionTableOffset = optionalOffset + optionalSize;
  return headers;
}

IMAGE_DATA_DIRECTORY TPeHeaders::Directory(unsigned index) const {
  return index < directoryCount_ ? directories_[index] : IMAGE_DATA_DIRECTORY{};
}

IMAGE_SECTION_HEADER TPeHeaders::Section(const TBoundedMemory& image, unsigned index) const {
  return image.Read<IMAGE_SECTION_HEADER>(SectionTableOffset + std::uint64_t{index} * sizeof(IMAGE_SECTION_HEADER),
                                          "a section header");
}

}  // namespace vell::player
