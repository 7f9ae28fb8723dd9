#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <string>

#include "player/loader/DllLoader.h"
#include "player/loader/GuardedEntryCall.h"
#include "player/tests/TestModules.h"

namespace vell::player {
namespace {

using testing::ReadBesideExecutable;
using testing::TPeFile;

constexpr std::uintptr_t kBasicModulePreferredBase = 0x6F000000;

// What a relocation entry of one type does to the module's pointer.
enum class TFixUp { None, Full, Low32, Refused };
struct TRelocationCase {
  WORD Type;
  TFixUp Expected;
};

// The machine types the loader knows. The test modules are built by the
// tree's own compiler, so each tree runs the row of its own machine type
// and sees the other one refused.
struct TMachine {
  WORD Machine;
  const char* Name;  // as the loader's error names it
  std::vector<TRelocationCase> Relocations;
};

const TMachine kMachines[] = {
    {IMAGE_FILE_MACHINE_I386,
     "x86 (32-bit)",
     {{0, TFixUp::None}, {1, TFixUp::Full}, {2, TFixUp::Full}, {3, TFixUp::Full}, {10, TFixUp::Full}}},
    {IMAGE_FILE_MACHINE_AMD64,
     "x86-64 (64-bit)",
     {{0, TFixUp::None}, {1, TFixUp::Refused}, {2, TFixUp::Refused}, {3, TFixUp::Low32}, {10, TFixUp::Full}}},
};

const TMachine& ThisMachine() { return kMachines[sizeof(void*) == 8 ? 1 : 0]; }
const TMachine& OtherMachine() { return kMachines[sizeof(void*) == 8 ? 0 : 1]; }

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

// The module's own TLS callback (0x100 | reason) runs before its entry
// point for each reason, as the system orders them. The loading thread is
// not announced as a thread attaching: it existed before the module.
TEST(DllLoader, AttachesTheProcessOnlyAndDetachesOnDestruction) {
  auto loader = std::make_unique<TDLLLoader>();
  loader->LoadModule(ReadBesideExecutable("basic_module.dll"));
  DWORD reasons[8] = {};
  ASSERT_EQ(Export<int (*)(DWORD*, int)>(*loader, "EntryReasons")(reasons, 8), 2);
  EXPECT_EQ(reasons[0], static_cast<DWORD>(0x100 | DLL_PROCESS_ATTACH));
  EXPECT_EQ(reasons[1], static_cast<DWORD>(DLL_PROCESS_ATTACH));

  Export<void (*)(void (*)(DWORD))>(*loader, "SetDetachNotify")(RecordDetach);
  loader.reset();
  EXPECT_EQ(detachReason, static_cast<DWORD>(DLL_PROCESS_DETACH));
}

std::string EnvironmentText(const char* name) {
  char value[64] = {};
  const DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
  return length < sizeof value ? std::string(value, length) : std::string();
}

// The module leaves its instance and the reasons it was called with in the
// environment, since nothing of it may be read once the load has failed.
TEST(DllLoader, FailsALoadWhoseEntryPointRefusesAndUnmapsTheModule) {
  SetEnvironmentVariableA("VELL_REFUSING_MODULE_REASONS", nullptr);
  SetEnvironmentVariableA("VELL_REFUSING_MODULE_INSTANCE", nullptr);
  TDLLLoader loader;
  try {
    loader.LoadModule(ReadBesideExecutable("refusing_module.dll"));
    ADD_FAILURE() << "a module whose entry point returned FALSE was kept";
  } catch (const ELoaderError& error) {
    const std::string message = error.what();
    EXPECT_NE(message.find("refusing_module.dll"), std::string::npos) << message;
    EXPECT_NE(message.find("returned FALSE"), std::string::npos) << message;
  }
  EXPECT_EQ(loader.ModuleBase(), nullptr);
  EXPECT_EQ(EnvironmentText("VELL_REFUSING_MODULE_REASONS"), "10") << "attach, then the detach of a refused start";

  const std::string instance = EnvironmentText("VELL_REFUSING_MODULE_INSTANCE");
  ASSERT_FALSE(instance.empty());
  MEMORY_BASIC_INFORMATION region{};
  ASSERT_NE(VirtualQuery(reinterpret_cast<void*>(std::stoull(instance, nullptr, 16)), &region, sizeof region), 0u);
  EXPECT_EQ(region.State, static_cast<DWORD>(MEM_FREE)) << "the image stays mapped";
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
  pe.Rebase(reinterpret_cast<std::uintptr_t>(predicted));

  TDLLLoader loader;
  loader.LoadModule(bytes);
  if (loader.ModuleBase() != predicted) GTEST_SKIP() << "the system placed the image elsewhere";
  int** pointer = Export<int**>(loader, "relocatedPointer");
  EXPECT_EQ(*pointer, Export<int*>(loader, "relocatedTarget"));
}

TEST(DllLoader, AppliesEachRelocationTypeAsItsMachineTypeCallsFor) {
  std::uintptr_t pointerRva = 0, targetRva = 0;
  {
    TDLLLoader probe;
    probe.LoadModule(ReadBesideExecutable("basic_module.dll"));
    const auto base = reinterpret_cast<std::uintptr_t>(probe.ModuleBase());
    pointerRva = reinterpret_cast<std::uintptr_t>(probe.FindExport("relocatedPointer")) - base;
    targetRva = reinterpret_cast<std::uintptr_t>(probe.FindExport("relocatedTarget")) - base;
  }
  for (const TRelocationCase& relocation : ThisMachine().Relocations) {
    SCOPED_TRACE(relocation.Type);
    auto bytes = ReadBesideExecutable("basic_module.dll");
    WORD& entry = TPeFile(bytes).RelocationEntryFor(static_cast<std::uint32_t>(pointerRva));
    entry = static_cast<WORD>((relocation.Type << 12) | (entry & 0xFFF));

    TDLLLoader loader;
    if (relocation.Expected == TFixUp::Refused) {
      EXPECT_THROW(loader.LoadModule(bytes), ELoaderError);
      continue;
    }
    loader.LoadModule(bytes);
    const auto base = reinterpret_cast<std::uintptr_t>(loader.ModuleBase());
    const auto value = reinterpret_cast<std::uintptr_t>(*Export<int**>(loader, "relocatedPointer"));
    const std::uintptr_t unrelocated = kBasicModulePreferredBase + targetRva;
    switch (relocation.Expected) {
      case TFixUp::None: EXPECT_EQ(value, unrelocated); break;
      case TFixUp::Full: EXPECT_EQ(value, base + targetRva); break;
      case TFixUp::Low32: {
        // Only the low half moves; a carry out of it is lost.
        const auto low = static_cast<std::uint32_t>(unrelocated) + static_cast<std::uint32_t>(base - kBasicModulePreferredBase);
        EXPECT_EQ(value, (unrelocated & ~std::uintptr_t{0xFFFFFFFF}) | low);
        break;
      }
      case TFixUp::Refused: break;
    }
  }
}

TEST(DllLoader, RefusesAModuleOfTheOtherMachineTypeSayingSo) {
  auto bytes = ReadBesideExecutable("basic_module.dll");
  TPeFile(bytes).Nt().FileHeader.Machine = OtherMachine().Machine;
  TDLLLoader loader;
  try {
    loader.LoadModule(bytes);
    ADD_FAILURE() << "a module of another machine type was mapped";
  } catch (const ELoaderError& error) {
    const std::string message = error.what();
    EXPECT_NE(message.find(std::string("made for ") + OtherMachine().Name), std::string::npos) << message;
    EXPECT_NE(message.find(std::string("this ") + ThisMachine().Name + " process"), std::string::npos) << message;
  }
  EXPECT_EQ(loader.ModuleBase(), nullptr);
}

TEST(DllLoader, ExceptionsThrownInsideTheModuleUnwindAndAreCaughtThere) {
  TDLLLoader loader;
  loader.LoadModule(ReadBesideExecutable("basic_module.dll"));
  const auto throwAndCatch = Export<int (*)()>(loader, "ThrowAndCatchInside");
  ASSERT_NE(throwAndCatch, nullptr);
  EXPECT_EQ(throwAndCatch(), 1);
  EXPECT_EQ(throwAndCatch(), 1) << "a second exception unwinds as well";
}

// A module whose import library is missing would call through empty slots.
TEST(DllLoader, FailsTheLoadWhenAnImportLibraryIsMissing) {
  auto bytes = ReadBesideExecutable("basic_module.dll");
  const TPeFile pe(bytes);
  char* name = nullptr;
  for (auto* descriptor = &pe.FirstImport(); descriptor->Name != 0; ++descriptor) {
    char* candidate = &pe.AtRva<char>(descriptor->Name);
    if (lstrcmpiA(candidate, "ws2_32.dll") == 0) name = candidate;
  }
  ASSERT_NE(name, nullptr);
  std::memcpy(name, "vx2_32", 6);

  TDLLLoader loader;
  try {
    loader.LoadModule(bytes);
    ADD_FAILURE() << "the module was mapped without its import library";
  } catch (const ELoaderError& error) {
    EXPECT_NE(std::string(error.what()).find("vx2_32"), std::string::npos) << error.what();
  }
  EXPECT_EQ(loader.ModuleBase(), nullptr);
}

// What the system would give the module: code not writable, constants
// read-only, headers read-only, data writable.
TEST(DllLoader, GivesEachSectionTheProtectionItAsksFor) {
  auto bytes = ReadBesideExecutable("basic_module.dll");
  const TPeFile pe(bytes);
  TDLLLoader loader;
  loader.LoadModule(bytes);
  const auto* base = reinterpret_cast<const std::uint8_t*>(loader.ModuleBase());
  const auto protectionAt = [](const void* address) {
    MEMORY_BASIC_INFORMATION region{};
    return VirtualQuery(address, &region, sizeof region) ? region.Protect : 0;
  };
  EXPECT_EQ(protectionAt(base), static_cast<DWORD>(PAGE_READONLY)) << "headers";
  const struct {
    const char* Name;
    DWORD Protection;
  } expected[] = {{".text", PAGE_EXECUTE_READ}, {".rdata", PAGE_READONLY}, {".data", PAGE_READWRITE}};
  for (const auto& section : expected) {
    SCOPED_TRACE(section.Name);
    const IMAGE_SECTION_HEADER* found = nullptr;
    for (unsigned i = 0; i < pe.Nt().FileHeader.NumberOfSections; ++i) {
      if (std::strncmp(reinterpret_cast<const char*>(pe.Section(i).Name), section.Name, 8) == 0) found = &pe.Section(i);
    }
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(protectionAt(base + found->VirtualAddress), section.Protection);
  }
  EXPECT_EQ(Export<int (*)()>(loader, "MixedCaseExport")(), 42) << "the code still runs";
}

LONG WINAPI SomeFilter(EXCEPTION_POINTERS*) { return EXCEPTION_CONTINUE_SEARCH; }

BOOL WINAPI ThrowingEntry(HINSTANCE, DWORD, LPVOID) { throw std::runtime_error("out of the entry"); }

TEST(GuardedEntryCall, GivesBackTheProcessFilterWhenAnExceptionPassesThrough) {
  const LPTOP_LEVEL_EXCEPTION_FILTER previous = SetUnhandledExceptionFilter(SomeFilter);
  EXPECT_THROW(CallEntryGuarded(ThrowingEntry, nullptr, DLL_PROCESS_ATTACH), std::runtime_error);
  EXPECT_EQ(SetUnhandledExceptionFilter(previous), SomeFilter);
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
