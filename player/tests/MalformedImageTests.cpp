#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>

#include "player/loader/DllLoader.h"
#include "player/tests/TestModules.h"

namespace vell::player {
namespace {

using testing::ReadBesideExecutable;
using testing::TPeFile;
using TBytes = std::vector<std::byte>;

struct TDamage {
  const char* Name;
  std::function<void(TBytes&)> Apply;
};

IMAGE_SECTION_HEADER& FirstSection(TBytes& bytes) { return TPeFile(bytes).Section(0); }

const TDamage kDamages[] = {
    {"empty stream", [](TBytes& b) { b.clear(); }},
    {"cut inside the DOS header", [](TBytes& b) { b.resize(0x30); }},
    {"NT headers beyond the end", [](TBytes& b) { reinterpret_cast<IMAGE_DOS_HEADER*>(b.data())->e_lfanew = 0x7FFFFF00; }},
    {"negative NT header offset", [](TBytes& b) { reinterpret_cast<IMAGE_DOS_HEADER*>(b.data())->e_lfanew = -8; }},
    {"cut inside the optional header",
     [](TBytes& b) { b.resize(reinterpret_cast<IMAGE_DOS_HEADER*>(b.data())->e_lfanew + 60); }},
    {"optional header too short for its fields", [](TBytes& b) { TPeFile(b).Nt().FileHeader.SizeOfOptionalHeader = 16; }},
    {"optional header of no known kind", [](TBytes& b) { TPeFile(b).Nt().OptionalHeader.Magic = 0x0107; }},
    {"optional header of the other width",
     [](TBytes& b) {
       TPeFile(b).Nt().OptionalHeader.Magic =
           sizeof(void*) == 8 ? IMAGE_NT_OPTIONAL_HDR32_MAGIC : IMAGE_NT_OPTIONAL_HDR64_MAGIC;
     }},
    {"cut inside the section table",
     [](TBytes& b) { b.resize(reinterpret_cast<std::byte*>(&FirstSection(b)) - b.data() + 20); }},
    {"more sections than the file holds", [](TBytes& b) { TPeFile(b).Nt().FileHeader.NumberOfSections = 0xFFFF; }},
    {"image size zero", [](TBytes& b) { TPeFile(b).Nt().OptionalHeader.SizeOfImage = 0; }},
    {"absurd image size", [](TBytes& b) { TPeFile(b).Nt().OptionalHeader.SizeOfImage = 0xFFFFF000; }},
    {"headers larger than the file", [](TBytes& b) { TPeFile(b).Nt().OptionalHeader.SizeOfHeaders = 0x00F00000; }},
    {"section data beyond the file", [](TBytes& b) { FirstSection(b).PointerToRawData = 0x7FFFFF00; }},
    {"section beyond the image", [](TBytes& b) { FirstSection(b).VirtualAddress = TPeFile(b).Nt().OptionalHeader.SizeOfImage; }},
    {"section larger than the image", [](TBytes& b) { FirstSection(b).Misc.VirtualSize = 0x7FFFFFFF; }},
    {"relocation table beyond the image",
     [](TBytes& b) { TPeFile(b).Nt().OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_BASERELOC].VirtualAddress = 0x7FFFFF00; }},
    {"relocation block shorter than its header",
     [](TBytes& b) {
       const TPeFile pe(b);
       pe.AtRva<IMAGE_BASE_RELOCATION>(pe.Nt().OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_BASERELOC].VirtualAddress)
           .SizeOfBlock = 0;
     }},
    {"relocation block running past the image",
     [](TBytes& b) {
       const TPeFile pe(b);
       pe.AtRva<IMAGE_BASE_RELOCATION>(pe.Nt().OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_BASERELOC].VirtualAddress)
           .SizeOfBlock = 0x7FFFFFF0;
     }},
    {"import table beyond the image",
     [](TBytes& b) { TPeFile(b).Nt().OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress = 0x7FFFFF00; }},
    {"import library name beyond the image", [](TBytes& b) { TPeFile(b).FirstImport().Name = 0x7FFFFF00; }},
    {"import name table beyond the image", [](TBytes& b) { TPeFile(b).FirstImport().FirstThunk = 0x7FFFFF00; }},
    {"import function name beyond the image",
     [](TBytes& b) {
       const TPeFile pe(b);
       pe.AtRva<std::uint32_t>(pe.FirstImport().FirstThunk) = 0x7FFFFF00;
     }},
    {"exception table beyond the image",
     [](TBytes& b) { TPeFile(b).Nt().OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXCEPTION] = {0x7FFFFF00, 12}; }},
    {"TLS directory beyond the image",
     [](TBytes& b) { TPeFile(b).Nt().OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_TLS] = {0x7FFFFF00, 40}; }},
    {"entry point beyond the image", [](TBytes& b) { TPeFile(b).Nt().OptionalHeader.AddressOfEntryPoint = 0x7FFFFF00; }},
};

TEST(DllLoaderMalformedImage, EndsInALoaderErrorAndLeavesNothingLoaded) {
  for (const TDamage& damage : kDamages) {
    SCOPED_TRACE(damage.Name);
    TBytes bytes = ReadBesideExecutable("basic_module.dll");
    damage.Apply(bytes);
    TDLLLoader loader;
    EXPECT_THROW(loader.LoadModule(bytes), ELoaderError);
    EXPECT_EQ(loader.ModuleBase(), nullptr);
    EXPECT_TRUE(loader.Libraries().empty());
    EXPECT_TRUE(loader.ImportedFunctions()->Items().empty());
    EXPECT_EQ(loader.FindExport("MixedCaseExport"), nullptr);
  }
}

// A load that fails after linking the imports gives back the libraries it
// loaded; ws2_32 is used by nothing else in this process.
TEST(DllLoaderMalformedImage, ReleasesTheLibrariesOfAFailedLoad) {
  ASSERT_EQ(GetModuleHandleA("ws2_32.dll"), nullptr);
  TBytes bytes = ReadBesideExecutable("basic_module.dll");
  TPeFile(bytes).Nt().OptionalHeader.AddressOfEntryPoint = 0x7FFFFF00;
  TDLLLoader loader;
  EXPECT_THROW(loader.LoadModule(bytes), ELoaderError);
  EXPECT_EQ(GetModuleHandleA("ws2_32.dll"), nullptr);
}

// Byte damage anywhere the loader reads structures: the headers, the section
// table, the import and relocation tables. No code of the module runs (its
// entry point and TLS callbacks are gone), so every outcome is the loader's own.
TEST(DllLoaderMalformedImage, RandomlyDamagedTablesLoadOrFailCleanly) {
  TBytes pristine = ReadBesideExecutable("basic_module.dll");
  const TPeFile pe(pristine);
  pe.Nt().OptionalHeader.AddressOfEntryPoint = 0;
  pe.Nt().OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_TLS] = {0, 0};
  const auto offsetOf = [&](const void* field) {
    return static_cast<std::size_t>(static_cast<const std::byte*>(field) - pristine.data());
  };
  // The header's position, the entry point and the TLS directory stay as they are.
  const std::pair<std::size_t, std::size_t> untouched[] = {
      {offsetof(IMAGE_DOS_HEADER, e_lfanew), sizeof(LONG)},
      {offsetOf(&pe.Nt().OptionalHeader.AddressOfEntryPoint), sizeof(DWORD)},
      {offsetOf(&pe.Nt().OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_TLS]), sizeof(IMAGE_DATA_DIRECTORY)},
  };
  std::vector<std::pair<std::size_t, std::size_t>> ranges = {{0, pe.Nt().OptionalHeader.SizeOfHeaders}};
  for (const unsigned directory : {IMAGE_DIRECTORY_ENTRY_IMPORT, IMAGE_DIRECTORY_ENTRY_BASERELOC}) {
    const IMAGE_DATA_DIRECTORY& table = pe.Nt().OptionalHeader.DataDirectory[directory];
    ranges.push_back({pe.OffsetOf(table.VirtualAddress), table.Size});
  }

  std::mt19937 random(20261210);
  int loaded = 0, refused = 0;
  for (int round = 0; round < 1500; ++round) {
    TBytes bytes = pristine;
    const int damages = 1 + static_cast<int>(random() % 4);
    for (int i = 0; i < damages; ++i) {
      const auto& [start, size] = ranges[random() % ranges.size()];
      const std::size_t at = start + random() % size;
      if (std::any_of(std::begin(untouched), std::end(untouched),
                      [&](const auto& field) { return at >= field.first && at < field.first + field.second; })) {
        continue;
      }
      bytes[at] = static_cast<std::byte>(random());
    }
    TDLLLoader loader;
    try {
      loader.LoadModule(bytes);
      ++loaded;
    } catch (const ELoaderError&) {
      ++refused;
      EXPECT_EQ(loader.ModuleBase(), nullptr);
    }
  }
  EXPECT_GT(refused, 0);
  EXPECT_GT(loaded, 0);
}

LONG WINAPI SomeFilter(EXCEPTION_POINTERS*) { return EXCEPTION_CONTINUE_SEARCH; }

TEST(DllLoaderMalformedImage, AFaultInTheEntryPointEndsInALoaderError) {
  const LPTOP_LEVEL_EXCEPTION_FILTER previous = SetUnhandledExceptionFilter(SomeFilter);
  {
    TDLLLoader loader;
    EXPECT_THROW(loader.LoadModule(ReadBesideExecutable("faulting_module.dll")), ELoaderError);
    EXPECT_EQ(loader.ModuleBase(), nullptr);
  }
  EXPECT_EQ(SetUnhandledExceptionFilter(previous), SomeFilter) << "the process's own filter is back";

  // The thread goes on normally: later loads and faults behave as usual.
  TDLLLoader loader;
  loader.LoadModule(ReadBesideExecutable("basic_module.dll"));
  EXPECT_EQ(reinterpret_cast<int (*)()>(loader.FindExport("MixedCaseExport"))(), 42);
  try {
    throw std::runtime_error("still unwinding");
  } catch (const std::runtime_error& error) {
    EXPECT_STREQ(error.what(), "still unwinding");
  }
}

}  // namespace
}  // namespace vell::player
