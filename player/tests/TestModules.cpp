#include "player/tests/TestModules.h"

#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace vell::player::testing {

std::wstring PathBesideExecutable(const std::string& fileName) {
  wchar_t path[MAX_PATH];
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path, length);
  folder.resize(folder.find_last_of(L"\\/") + 1);
  return folder + std::wstring(fileName.begin(), fileName.end());
}

std::vector<std::byte> ReadBesideExecutable(const std::string& fileName) {
  std::ifstream file(PathBesideExecutable(fileName).c_str(), std::ios::binary);
  if (!file) throw std::runtime_error("test module missing: " + fileName);
  std::vector<char> chars{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  std::vector<std::byte> bytes(chars.size());
  std::memcpy(bytes.data(), chars.data(), chars.size());
  return bytes;
}

TPeFile::TPeFile(std::vector<std::byte>& bytes) : bytes_(bytes) {}

IMAGE_NT_HEADERS& TPeFile::Nt() const {
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(bytes_.data());
  return *reinterpret_cast<IMAGE_NT_HEADERS*>(bytes_.data() + dos->e_lfanew);
}

IMAGE_SECTION_HEADER& TPeFile::Section(unsigned index) const { return IMAGE_FIRST_SECTION(&Nt())[index]; }

std::uint32_t TPeFile::OffsetOf(std::uint32_t rva) const {
  for (unsigned i = 0; i < Nt().FileHeader.NumberOfSections; ++i) {
    const IMAGE_SECTION_HEADER& section = Section(i);
    if (rva >= section.VirtualAddress && rva < section.VirtualAddress + section.SizeOfRawData) {
      return section.PointerToRawData + rva - section.VirtualAddress;
    }
  }
  if (rva < Nt().OptionalHeader.SizeOfHeaders) return rva;
  throw std::runtime_error("rva in no section");
}

IMAGE_IMPORT_DESCRIPTOR& TPeFile::FirstImport() const {
  return AtRva<IMAGE_IMPORT_DESCRIPTOR>(Nt().OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress);
}

namespace {
template <typename Visit>
void ForEachRelocation(const TPeFile& pe, Visit visit) {
  const IMAGE_DATA_DIRECTORY directory = pe.Nt().OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_BASERELOC];
  for (std::uint32_t block = directory.VirtualAddress; block < directory.VirtualAddress + directory.Size;) {
    auto& header = pe.AtRva<IMAGE_BASE_RELOCATION>(block);
    auto* entries = &pe.AtRva<WORD>(block + sizeof header);
    for (std::uint32_t i = 0; i < (header.SizeOfBlock - sizeof header) / 2; ++i) visit(header.VirtualAddress, entries[i]);
    block += header.SizeOfBlock;
  }
}
}  // namespace

WORD& TPeFile::RelocationEntryFor(std::uint32_t rva) const {
  WORD* found = nullptr;
  ForEachRelocation(*this, [&](std::uint32_t page, WORD& entry) {
    if ((entry >> 12) != 0 && page + (entry & 0xFFF) == rva) found = &entry;
  });
  if (!found) throw std::runtime_error("no relocation for that address");
  return *found;
}

void TPeFile::Rebase(std::uintptr_t newBase) const {
  const std::uintptr_t delta = newBase - Nt().OptionalHeader.ImageBase;
  ForEachRelocation(*this, [&](std::uint32_t page, WORD& entry) {
    if ((entry >> 12) == IMAGE_REL_BASED_DIR64) AtRva<std::uint64_t>(page + (entry & 0xFFF)) += delta;
    else if ((entry >> 12) != 0) AtRva<std::uint32_t>(page + (entry & 0xFFF)) += static_cast<std::uint32_t>(delta);
  });
  Nt().OptionalHeader.ImageBase = newBase;
}

}  // namespace vell::player::testing
