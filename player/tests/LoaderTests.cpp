#include <gtest/gtest.h>

#include <algorithm>

#include "player/loader/DllLoader.h"
#include "player/tests/TestModules.h"

namespace vell::player {
namespace {

using testing::ReadBesideExecutable;
using testing::TPeFile;

constexpr std::uint32_t kBasicModulePreferredBase = 0x6F000000;

template <typename F>
F Export(const TDLLLoader& loader, const char* name) {
  return reinterpret_cast<F>(loader.FindExport(name));
}

struct TOfferedImport {
  std::string Library;
  std::string Name;
  int Ordinal;
};

class TRecordingLoader : public TDLLLoader {
public:
  std::vector<TOfferedImport> Offered;
  FARPROC ImportOverride(const char* libraryName, TImportProc proc) override {
    Offered.push_back({libraryName, proc.ByOrdinal() ? "" : proc.Name, proc.ByOrdinal() ? proc.Ordinal : -1});
    return nullptr;
  }
};

DWORD detachReason = 0xFFFF;
void RecordDetach(DWORD reason) { detachReason = reason; }

TEST(DllLoader, RunsAttachThenThreadAttachAndDetachesOnDestruction) {
  auto loader = std::make_unique<TDLLLoader>();
  loader->LoadModule(ReadBesideExecutable("basic_module.dll"));
  DWORD reasons[8] = {};
  ASSERT_EQ(Export<int (*)(DWORD*, int)>(*loader, "EntryReasons")(reasons, 8), 2);
  EXPECT_EQ(reasons[0], static_cast<DWORD>(DLL_PROCESS_ATTACH));
  EXPECT_EQ(reasons[1], static_cast<DWORD>(DLL_THREAD_ATTACH));

  Export<void (*)(void (*)(DWORD))>(*loader, "SetDetachNotify")(RecordDetach);
  loader.reset();
  EXPECT_EQ(detachReason, static_cast<DWORD>(DLL_PROCESS_DETACH));
}

TEST(DllLoader, FindsExportsByExactName) {
  TDLLLoader loader;
  EXPECT_EQ(loader.FindExport("MixedCaseExport"), nullptr) << "nothing is exported before a load";
  loader.LoadModule(ReadBesideExecutable("basic_module.dll"));
  auto exported = Export<int (*)()>(loader, "MixedCaseExport");
  ASSERT_NE(exported, nullptr);
  EXPECT_EQ(exported(), 42);
  EXPECT_EQ(loader.FindExport("mixedcaseexport"), nullptr);
  EXPECT_EQ(loader.FindExport("MixedCaseExpor"), nullptr);
}

TEST(DllLoader, RelocatesIntoTheMappedCopyAndStaysInvisibleToTheSystem) {
  TDLLLoader loader;
  loader.LoadModule(ReadBesideExecutable("basic_module.dll"));
  ASSERT_NE(reinterpret_cast<std::uintptr_t>(loader.ModuleBase()), kBasicModulePreferredBase);
  int** pointer = Export<int**>(loader, "relocatedPointer");
  EXPECT_EQ(*pointer, Export<int*>(loader, "relocatedTarget"));
  EXPECT_EQ(**pointer, 7);

  EXPECT_EQ(GetModuleHandleA("basic_module.dll"), nullptr);
  HMODULE owner = nullptr;
  EXPECT_FALSE(GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                                  reinterpret_cast<LPCSTR>(pointer), &owner));
}

TEST(DllLoader, KeepsAddressesOfAnImageLoadedAtItsPreferredBase) {
  auto bytes = ReadBesideExecutable("basic_module.dll");
  const TPeFile pe(bytes);
  const DWORD imageSize = pe.Nt().OptionalHeader.SizeOfImage;
  // The loader allocates anywhere; the address the system hands out next is
  // predicted by asking for it once and giving it back.
  void* predicted = VirtualAlloc(nullptr, imageSize, MEM_COMMIT, PAGE_EXECUTE_READWRITE);
  VirtualFree(predicted, 0, MEM_RELEASE);
  pe.Rebase(static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(predicted)));

  TDLLLoader loader;
  loader.LoadModule(bytes);
  if (loader.ModuleBase() != predicted) GTEST_SKIP() << "the system placed the image elsewhere";
  int** pointer = Export<int**>(loader, "relocatedPointer");
  EXPECT_EQ(*pointer, Export<int*>(loader, "relocatedTarget"));
}

TEST(DllLoader, AppliesEveryNonZeroRelocationTypeAsAFullAddress) {
  std::uint32_t pointerRva = 0, targetRva = 0;
  {
    TDLLLoader probe;
    probe.LoadModule(ReadBesideExecutable("basic_module.dll"));
    const auto base = reinterpret_cast<std::uintptr_t>(probe.ModuleBase());
    pointerRva = reinterpret_cast<std::uintptr_t>(probe.FindExport("relocatedPointer")) - base;
    targetRva = reinterpret_cast<std::uintptr_t>(probe.FindExport("relocatedTarget")) - base;
  }
  for (const WORD type : {0, 1, 2, 3, 10}) {
    SCOPED_TRACE(type);
    auto bytes = ReadBesideExecutable("basic_module.dll");
    WORD& entry = TPeFile(bytes).RelocationEntryFor(pointerRva);
    entry = static_cast<WORD>((type << 12) | (entry & 0xFFF));

    TDLLLoader loader;
    loader.LoadModule(bytes);
    const auto base = reinterpret_cast<std::uintptr_t>(loader.ModuleBase());
    const auto value = reinterpret_cast<std::uintptr_t>(*Export<int**>(loader, "relocatedPointer"));
    EXPECT_EQ(value, (type == 0 ? kBasicModulePreferredBase : base) + targetRva);
  }
}

TEST(DllLoader, OffersOrdinalImportsWithTheOrdinalAndResolvesThemByOrdinal) {
  TRecordingLoader loader;
  loader.LoadModule(ReadBesideExecutable("basic_module.dll"));

  const auto byOrdinal = std::find_if(loader.Offered.begin(), loader.Offered.end(),
                                      [](const TOfferedImport& offered) { return offered.Ordinal >= 0; });
  ASSERT_NE(byOrdinal, loader.Offered.end());
  EXPECT_STRCASEEQ(byOrdinal->Library.c_str(), "ws2_32.dll");
  EXPECT_EQ(byOrdinal->Ordinal, 9);
  EXPECT_EQ(Export<unsigned short (*)(unsigned short)>(loader, "SwapByOrdinalImport")(0x1234), 0x3412);

  const auto& recorded = loader.ImportedFunctions()->Items();
  EXPECT_EQ(recorded.size(), static_cast<std::size_t>(std::count_if(
                                 loader.Offered.begin(), loader.Offered.end(),
                                 [](const TOfferedImport& offered) { return offered.Ordinal < 0; })));
  EXPECT_TRUE(std::none_of(recorded.begin(), recorded.end(), [](const TImportedFunction& function) {
    return lstrcmpiA(function.LibraryName.c_str(), "ws2_32.dll") == 0;
  }));
}

TEST(DllLoader, RecordsNamedImportsWithTheirSlots) {
  TDLLLoader loader;
  loader.LoadModule(ReadBesideExecutable("basic_module.dll"));
  const auto& recorded = loader.ImportedFunctions()->Items();
  ASSERT_FALSE(recorded.empty());
  const auto base = reinterpret_cast<std::uintptr_t>(loader.ModuleBase());
  for (const TImportedFunction& function : recorded) {
    SCOPED_TRACE(function.LibraryName + "!" + function.FunctionName);
    EXPECT_EQ(function.LibraryName.find_first_of("\\/"), std::string::npos);
    const auto slot = reinterpret_cast<std::uintptr_t>(function.Slot);
    EXPECT_TRUE(slot >= base && slot < base + 0x100000);
    EXPECT_EQ(*function.Slot, reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA(function.LibraryName.c_str()),
                                                                     function.FunctionName.c_str())));
  }
}

// The import tables of these variants were changed after linking: a bound
// descriptor whose address table holds made-up addresses, and a descriptor
// without OriginalFirstThunk. Either loads only when the names are taken
// from the right array; every slot then holds the system's function.
TEST(DllLoader, TakesImportNamesFromTheArrayTheDescriptorCallsFor) {
  for (const char* variant : {"basic_module_bound.dll", "basic_module_no_oft.dll"}) {
    SCOPED_TRACE(variant);
    TDLLLoader loader;
    loader.LoadModule(ReadBesideExecutable(variant));
    EXPECT_EQ(Export<int (*)()>(loader, "MixedCaseExport")(), 42);
    for (const TImportedFunction& function : loader.ImportedFunctions()->Items()) {
      EXPECT_EQ(*function.Slot, reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA(function.LibraryName.c_str()),
                                                                       function.FunctionName.c_str())))
          << function.FunctionName;
    }
  }
}

TEST(DllLoader, MapsAModuleWithoutEntryPoint) {
  auto loader = std::make_unique<TDLLLoader>();
  loader->LoadModule(ReadBesideExecutable("no_entry_module.dll"));
  EXPECT_EQ(Export<int (*)()>(*loader, "Answer")(), 42);
  loader.reset();  // unmapping must not call an entry either
}

TEST(DllLoader, LoadsOnce) {
  TDLLLoader loader;
  loader.LoadModule(ReadBesideExecutable("no_entry_module.dll"));
  const HMODULE base = loader.ModuleBase();
  EXPECT_THROW(loader.LoadModule(ReadBesideExecutable("no_entry_module.dll")), ELoaderError);
  EXPECT_EQ(loader.ModuleBase(), base);
}

}  // namespace
}  // namespace vell::player
