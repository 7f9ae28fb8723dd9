#include "player/loader/SectionProtection.h"

#include <algorithm>

namespace vell::player {

namespace {

// The protection the system gives a section with these characteristics.
DWORD SectionProtection(DWORD characteristics) {
  const bool execute = characteristics & IMAGE_SCN_MEM_EXECUTE;
  const bool read = characteristics & IMAGE_SCN_MEM_READ;
  const bool write = characteristics & IMAGE_SCN_MEM_WRITE;
  if (execute) return write ? PAGE_EXECUTE_READWRITE : read ? PAGE_EXECUTE_READ : PAGE_EXECUTE;
  if (write) return PAGE_READWRITE;
  return read ? PAGE_READONLY : PAGE_NOACCESS;
}

}  // namespace

void ProtectSections(const TBoundedMemory& image, const TBoundedMemory& file, const TPeHeaders& headers) {
  SYSTEM_INFO system{};
  GetSystemInfo(&system);
  const std::uint64_t page = system.dwPageSize;
  if (headers.SectionAlignment < page) return;
  const auto protect = [&](std::uint64_t start, std::uint64_t size, DWORD protection) {
    if (size == 0) return;
    const std::uint64_t rounded = std::min<std::uint64_t>((size + page - 1) / page * page, image.Size() - start);
    DWORD previous = 0;
    if (!VirtualProtect(image.Bytes(start, rounded, "a section"), rounded, protection, &previous)) {
      throw ELoaderError("the protection of the module's sections could not be set");
    }
  };
  protect(0, headers.SizeOfHeaders, PAGE_READONLY);
  for (unsigned i = 0; i < headers.File.NumberOfSections; ++i) {
    const IMAGE_SECTION_HEADER section = headers.Section(file, i);
    if (section.VirtualAddress % page != 0) throw ELoaderError("a section does not start on a page");
    protect(section.VirtualAddress, section.Misc.VirtualSize, SectionProtection(section.Characteristics));
  }
}

}  // namespace vell::player
