// A player module whose resource tables are damaged still maps; looking up
// its version, cursors or other resources then finds nothing instead of
// reading outside the image.
#include <gtest/gtest.h>

#include <functional>
#include <initializer_list>

#include "player/hooks/HookMaps.h"
#include "player/loader/ModuleResources.h"
#include "player/subsystem/PlayerCode.h"
#include "player/subsystem/PlayerCodeProvider.h"
#include "player/subsystem/PlayerSubsystem.h"
#include "player/tests/TestModules.h"

namespace vell::player {
namespace {

using testing::ReadBesideExecutable;
using testing::TPeFile;
using TBytes = std::vector<std::byte>;

constexpr std::uint32_t kFarAway = 0x7FFFFF00;
constexpr DWORD kSubdirectory = 0x80000000;

std::uint32_t ResourceRva(TBytes& bytes) {
  return TPeFile(bytes).Nt().OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_RESOURCE].VirtualAddress;
}

IMAGE_RESOURCE_DIRECTORY& Directory(TBytes& bytes, std::uint32_t offset) {
  return TPeFile(bytes).AtRva<IMAGE_RESOURCE_DIRECTORY>(ResourceRva(bytes) + offset);
}

IMAGE_RESOURCE_DIRECTORY_ENTRY* Entries(IMAGE_RESOURCE_DIRECTORY& directory) {
  return reinterpret_cast<IMAGE_RESOURCE_DIRECTORY_ENTRY*>(&directory + 1);
}

// The entry for `id` in the directory at `offset` (relative to the resource base).
IMAGE_RESOURCE_DIRECTORY_ENTRY& EntryFor(TBytes& bytes, std::uint32_t offset, WORD id) {
  IMAGE_RESOURCE_DIRECTORY& directory = Directory(bytes, offset);
  for (unsigned i = 0; i < unsigned{directory.NumberOfNamedEntries} + directory.NumberOfIdEntries; ++i) {
    IMAGE_RESOURCE_DIRECTORY_ENTRY& entry = Entries(directory)[i];
    if (!(entry.Name & 0x80000000) && (entry.Name & 0xFFFF) == id) return entry;
  }
  throw std::runtime_error("no such resource entry");
}

// The data entry of the first language of type/id.
IMAGE_RESOURCE_DATA_ENTRY& DataEntry(TBytes& bytes, WORD type, WORD id) {
  const std::uint32_t names = EntryFor(bytes, 0, type).OffsetToData & ~kSubdirectory;
  const std::uint32_t languages = EntryFor(bytes, names, id).OffsetToData & ~kSubdirectory;
  const std::uint32_t data = Entries(Directory(bytes, languages))[0].OffsetToData;
  return TPeFile(bytes).AtRva<IMAGE_RESOURCE_DATA_ENTRY>(ResourceRva(bytes) + data);
}

struct TDamage {
  const char* Name;
  std::function<void(TBytes&)> Apply;
  bool DataFound = false;    // RCDATA 7
  bool CursorFound = false;  // cursor 1
};

const TDamage kDamages[] = {
    {"resource directory beyond the image",
     [](TBytes& b) { TPeFile(b).Nt().OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_RESOURCE].VirtualAddress = kFarAway; }},
    // The real entries come first and are still found; only a miss runs off the end.
    {"more type entries than the image holds", [](TBytes& b) { Directory(b, 0).NumberOfIdEntries = 0xFFFF; }, true, true},
    {"type directory beyond the image",
     [](TBytes& b) {
       for (WORD type : {1, 4, 10, 12}) EntryFor(b, 0, type).OffsetToData = kSubdirectory | kFarAway;
     }},
    {"type names beyond the image",
     [](TBytes& b) {
       for (WORD type : {1, 4, 10, 12}) EntryFor(b, 0, type).Name = kSubdirectory | kFarAway;
     }},
    {"resource data beyond the image",
     [](TBytes& b) {
       DataEntry(b, 12, 1).OffsetToData = kFarAway;
       DataEntry(b, 10, 7).OffsetToData = kFarAway;
     }},
    {"resource data larger than the image",
     [](TBytes& b) {
       DataEntry(b, 12, 1).Size = kFarAway;
       DataEntry(b, 10, 7).Size = kFarAway;
     }},
    {"cursor group naming more cursors than it holds",
     [](TBytes& b) {
       IMAGE_RESOURCE_DATA_ENTRY& group = DataEntry(b, 12, 1);
       TPeFile(b).AtRva<WORD>(group.OffsetToData + 4) = 0xFFFF;
       group.Size = 6;
     },
     true},
};

TEST(DamagedModuleResources, AreNotFoundAndNothingReadsOutsideTheImage) {
  for (const TDamage& damage : kDamages) {
    SCOPED_TRACE(damage.Name);
    TBytes bytes = ReadBesideExecutable("hook_module.dll");
    damage.Apply(bytes);
    // A module mapped where an earlier one was would get that one's cached cursors.
    PlayerProcessState().Cursors = std::make_unique<TSavedCursors>();
    // Looking up the version reads the tables first.
    InstallPlayerCode(bytes);
    TPlayerModuleLoader* loader = PlayerCodeProvider()->Loader();
    ASSERT_NE(loader->ModuleBase(), nullptr) << "the image itself is intact";
    EXPECT_EQ(LoadedPlayerVersion(), 0u);

    const auto module = reinterpret_cast<HINSTANCE>(loader->ModuleBase());
    DWORD size = 0;
    void* data = nullptr;
    EXPECT_EQ(FindModuleResource(module, MAKEINTRESOURCEA(10), MAKEINTRESOURCEA(7), size, data), damage.DataFound);
    EXPECT_FALSE(FindModuleResource(module, "NOSUCHTYPE", MAKEINTRESOURCEA(7), size, data));
    const auto loadCursor = reinterpret_cast<HCURSOR (*)(HINSTANCE, LPCSTR)>(loader->FindExport("CallLoadCursorA"));
    EXPECT_EQ(loadCursor(module, MAKEINTRESOURCEA(1)) != nullptr, damage.CursorFound);
    const auto loadMenu = reinterpret_cast<HMENU (*)(HINSTANCE, LPCSTR)>(loader->FindExport("CallLoadMenuA"));
    if (HMENU menu = loadMenu(module, MAKEINTRESOURCEA(5))) DestroyMenu(menu);
  }
  FreePlayerCodeProvider();
}

TEST(DamagedModuleResources, AnAddressThatHoldsNoImageHasNoResources) {
  DWORD size = 0;
  void* data = nullptr;
  void* reserved = VirtualAlloc(nullptr, 65536, MEM_RESERVE, PAGE_NOACCESS);
  ASSERT_NE(reserved, nullptr);
  EXPECT_FALSE(FindModuleResource(static_cast<HINSTANCE>(reserved), MAKEINTRESOURCEA(16), MAKEINTRESOURCEA(1), size, data));
  EXPECT_EQ(GetModuleProductVersion(static_cast<HINSTANCE>(reserved)), 0u);
  VirtualFree(reserved, 0, MEM_RELEASE);
  // A system module's own tables are read the same way.
  EXPECT_TRUE(FindModuleResource(GetModuleHandleA("user32.dll"), MAKEINTRESOURCEA(16), MAKEINTRESOURCEA(1), size, data));
}

}  // namespace
}  // namespace vell::player
