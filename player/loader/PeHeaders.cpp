#include "player/loader/PeHeaders.h"

#include <algorithm>
#include <cstddef>

namespace vell::player {

namespace {
constexpr std::uint64_t kNtSignatureSize = 4;
constexpr std::size_t kDataDirectoriesOffset = offsetof(IMAGE_OPTIONAL_HEADER32, DataDirectory);
}  // namespace

TPeHeaders TPeHeaders::Read(const TBoundedMemory& image) {
  TPeHeaders headers;
  const auto ntOffset = image.Read<LONG>(offsetof(IMAGE_DOS_HEADER, e_lfanew), "the DOS header");
  if (ntOffset < 0) throw ELoaderError("the NT headers lie outside the module image");
  const std::uint64_t fileHeaderOffset = static_cast<std::uint64_t>(ntOffset) + kNtSignatureSize;
  headers.File = image.Read<IMAGE_FILE_HEADER>(fileHeaderOffset, "the file header");

  const std::uint64_t optionalOffset = fileHeaderOffset + sizeof(IMAGE_FILE_HEADER);
  headers.optionalSize_ = headers.File.SizeOfOptionalHeader;
  if (headers.optionalSize_ < kDataDirectoriesOffset) throw ELoaderError("the optional header is too short");
  const auto copied = std::min<std::size_t>(headers.optionalSize_, sizeof(IMAGE_OPTIONAL_HEADER32));
  std::memcpy(&headers.Optional, image.Bytes(optionalOffset, headers.optionalSize_, "the optional header"), copied);
  headers.SectionTableOffset = optionalOffset + headers.optionalSize_;
  return headers;
}

IMAGE_DATA_DIRECTORY TPeHeaders::Directory(unsigned index) const {
  const std::size_t end = kDataDirectoriesOffset + (index + 1) * sizeof(IMAGE_DATA_DIRECTORY);
  if (index >= IMAGE_NUMBEROF_DIRECTORY_ENTRIES || end > optionalSize_) return {};
  return Optional.DataDirectory[index];
}

IMAGE_SECTION_HEADER TPeHeaders::Section(const TBoundedMemory& image, unsigned index) const {
  return image.Read<IMAGE_SECTION_HEADER>(SectionTableOffset + std::uint64_t{index} * sizeof(IMAGE_SECTION_HEADER),
                                          "a section header");
}

}  // namespace vell::player
