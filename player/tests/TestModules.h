#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace vell::player::testing {

// The bytes of a file that the build placed beside the test executable.
std::vector<std::byte> ReadBesideExecutable(const std::string& fileName);
std::wstring PathBesideExecutable(const std::string& fileName);

// Read-write access to a PE file's headers in a byte copy, for making
// damaged or rebased variants of the test modules. The modules are built by
// the tree's own compiler, so their headers are those of this process's
// width (PE32 in a 32-bit tree, PE32+ in a 64-bit one).
class TPeFile {
public:
  explicit TPeFile(std::vector<std::byte>& bytes);

  IMAGE_NT_HEADERS& Nt() const;
  IMAGE_SECTION_HEADER& Section(unsigned index) const;
  std::uint32_t OffsetOf(std::uint32_t rva) const;
  template <typename T>
  T& AtRva(std::uint32_t rva) const {
    return *reinterpret_cast<T*>(bytes_.data() + OffsetOf(rva));
  }
  IMAGE_IMPORT_DESCRIPTOR& FirstImport() const;
  // The relocation entry that fixes up the address at `rva`.
  WORD& RelocationEntryFor(std::uint32_t rva) const;
  // Applies every fix-up for a move to `newBase` and makes it the preferred base.
  void Rebase(std::uintptr_t newBase) const;

private:
  std::vector<std::byte>& bytes_;
};

}  // namespace vell::player::testing
