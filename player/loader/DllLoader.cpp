#include "player/loader/DllLoader.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>

#include "player/loader/BoundedMemory.h"
#include "player/loader/GuardedEntryCall.h"
#include "player/loader/PeHeaders.h"
#include "player/loader/SectionProtection.h"
#include "player/loader/TlsCallbacks.h"

namespace vell::player {

namespace {

// Larger images are refused rather than attempted: no player comes close.
constexpr std::uint32_t kMaxImageSize = 512u * 1024 * 1024;

struct TImageRelease {
  void operator()(std::uint8_t* base) const noexcept { VirtualFree(base, 0, MEM_RELEASE); }
};
using TImageMemory = std::unique_ptr<std::uint8_t, TImageRelease>;

}  // namespace

// Libraries loaded for a module's imports; released again unless the load
// completes and hands them over.
class TLoadedLibraries {
public:
  TLoadedLibraries() = default;
  TLoadedLibraries(const TLoadedLibraries&) = delete;
  TLoadedLibraries& operator=(const TLoadedLibraries&) = delete;
  ~TLoadedLibraries() {
    for (HMODULE library : handles_) FreeLibrary(library);
  }
  void Add(HMODULE library) { handles_.push_back(library); }
  std::vector<HMODULE> Release() { return std::exchange(handles_, {}); }

private:
  std::vector<HMODULE> handles_;
};

namespace {

// The machine type this process runs; a module of another cannot run in it.
#if defined(__x86_64__)
constexpr WORD kProcessMachine = IMAGE_FILE_MACHINE_AMD64;
#elif defined(__i386__)
constexpr WORD kProcessMachine = IMAGE_FILE_MACHINE_I386;
#else
#error "no machine type for this processor"
#endif

std::string MachineName(WORD machine) {
  switch (machine) {
    case IMAGE_FILE_MACHINE_I386: return "x86 (32-bit)";
    case IMAGE_FILE_MACHINE_AMD64: return "x86-64 (64-bit)";
    default: {
      char hex[16];
      std::snprintf(hex, sizeof hex, "0x%04X", machine);
      return hex;
    }
  }
}

void RequireProcessMachine(const TPeHeaders& headers) {
  if (headers.File.Machine != kProcessMachine) {
    throw ELoaderError("the module is made for " + MachineName(headers.File.Machine) + " and cannot run in this " +
                       MachineName(kProcessMachine) + " process");
  }
  if (headers.Is64 != (sizeof(void*) == 8)) {
    throw ELoaderError("the module's optional header does not fit its machine type");
  }
}

TImageMemory MapSections(const TBoundedMemory& file, const TPeHeaders& headers) {
  const std::uint32_t imageSize = headers.SizeOfImage;
  if (imageSize == 0 || imageSize > kMaxImageSize) throw ELoaderError("the module image has an unusable size");
  if (headers.SizeOfHeaders > imageSize) throw ELoaderError("the module headers are larger than the image");

  TImageMemory memory(static_cast<std::uint8_t*>(VirtualAlloc(nullptr, imageSize, MEM_COMMIT, PAGE_EXECUTE_READWRITE)));
  if (!memory) throw ELoaderError("no memory for the module image");
  const TBoundedMemory image(memory.get(), imageSize);

  std::memcpy(memory.get(), file.Bytes(0, headers.SizeOfHeaders, "the module headers"), headers.SizeOfHeaders);

  for (unsigned i = 0; i < headers.File.NumberOfSections; ++i) {
    const IMAGE_SECTION_HEADER section = headers.Section(file, i);
    std::uint8_t* target = image.Bytes(section.VirtualAddress, section.Misc.VirtualSize, "a section");
    std::memset(target, 0, section.Misc.VirtualSize);
    const std::uint32_t rawCount = std::min<std::uint32_t>(section.Misc.VirtualSize, section.SizeOfRawData);
    std::memcpy(target, file.Bytes(section.PointerToRawData, rawCount, "a section's file data"), rawCount);
  }
  return memory;
}

template <typename T>
void AddAt(std::uint8_t* target, T delta) {
  T value;
  std::memcpy(&value, target, sizeof value);
  value += delta;
  std::memcpy(target, &value, sizeof value);
}

// A 32-bit image: every entry of a non-zero type is applied as a 32-bit
// full-address fix-up. A 64-bit image: DIR64 entries fix 64-bit addresses,
// HIGHLOW entries 32-bit ones, and any other type is refused, since applying
// it as either would corrupt the code. Fix-ups are applied also when the
// image landed at its preferred base.
void Relocate(const TBoundedMemory& image, const TPeHeaders& headers) {
  const IMAGE_DATA_DIRECTORY directory = headers.Directory(IMAGE_DIRECTORY_ENTRY_BASERELOC);
  if (directory.VirtualAddress == 0 || directory.Size == 0) return;
  image.Bytes(directory.VirtualAddress, directory.Size, "the relocation table");

  const std::uint64_t delta = reinterpret_cast<std::uintptr_t>(image.Begin()) - headers.ImageBase;
  const std::uint64_t end = std::uint64_t{directory.VirtualAddress} + directory.Size;
  std::uint64_t block = directory.VirtualAddress;
  while (block < end) {
    const auto blockHeader = image.Read<IMAGE_BASE_RELOCATION>(block, "a relocation block");
    if (blockHeader.SizeOfBlock < sizeof(IMAGE_BASE_RELOCATION)) throw ELoaderError("a relocation block is too short");
    const std::uint32_t entryCount = (blockHeader.SizeOfBlock - sizeof(IMAGE_BASE_RELOCATION)) / sizeof(WORD);
    const std::uint64_t entries = block + sizeof(IMAGE_BASE_RELOCATION);
    image.Bytes(entries, std::uint64_t{entryCount} * sizeof(WORD), "a relocation block");
    for (std::uint32_t i = 0; i < entryCount; ++i) {
      const auto entry = image.Read<WORD>(entries + i * sizeof(WORD), "a relocation entry");
      const unsigned type = entry >> 12;
      if (type == IMAGE_REL_BASED_ABSOLUTE) continue;
      const std::uint64_t at = std::uint64_t{blockHeader.VirtualAddress} + (entry & 0xFFF);
      if (!headers.Is64 || type == IMAGE_REL_BASED_HIGHLOW) {
        AddAt(image.Bytes(at, 4, "a relocation target"), static_cast<std::uint32_t>(delta));
      } else if (type == IMAGE_REL_BASED_DIR64) {
        AddAt(image.Bytes(at, 8, "a relocation target"), delta);
      } else {
        throw ELoaderError("a relocation of type " + std::to_string(type) + " cannot be applied to a 64-bit module");
      }
    }
    block = entries + std::uint64_t{entryCount} * sizeof(WORD);
  }
}

// The name the module gives itself in its export table, for messages.
std::string ModuleName(const TBoundedMemory& image, const TPeHeaders& headers) {
  const IMAGE_DATA_DIRECTORY directory = headers.Directory(IMAGE_DIRECTORY_ENTRY_EXPORT);
  try {
    if (directory.VirtualAddress != 0) {
      const auto exports = image.Read<IMAGE_EXPORT_DIRECTORY>(directory.VirtualAddress, "the export directory");
      if (exports.Name != 0) return std::string("the module ") + image.String(exports.Name, "the module's name");
    }
  } catch (const ELoaderError&) {
    // A damaged export table names nothing.
  }
  return "the module";
}

void Detach(const std::vector<PIMAGE_TLS_CALLBACK>& tlsCallbacks, TDllEntry entry, HINSTANCE instance) noexcept {
  try {
    for (PIMAGE_TLS_CALLBACK callback : tlsCallbacks) CallTlsCallbackGuarded(callback, instance, DLL_PROCESS_DETACH);
    if (entry) CallEntryGuarded(entry, instance, DLL_PROCESS_DETACH);
  } catch (...) {
    // A module that faults on its way out is unmapped all the same.
  }
}

}  // namespace

TDLLLoader::TDLLLoader() = default;

TDLLLoader::~TDLLLoader() { Unload(); }

FARPROC TDLLLoader::ImportOverride(const char*, TImportProc) { return nullptr; }

void TDLLLoader::LoadModule(std::span<const std::byte> stream) {
  if (base_) throw ELoaderError("the loader already holds a module");
  libraries_.clear();
  importedFunctions_ = std::make_unique<TImportedFunctions>();

  // The image is read from a private copy: the caller's bytes may be anywhere.
  std::vector<std::uint8_t> copy(stream.size());
  if (!copy.empty()) std::memcpy(copy.data(), stream.data(), copy.size());
  const TBoundedMemory file(copy.data(), copy.size());

  const TPeHeaders headers = TPeHeaders::Read(file);
  RequireProcessMachine(headers);
  TImageMemory memory = MapSections(file, headers);
  const TBoundedMemory image(memory.get(), headers.SizeOfImage);
  Relocate(image, headers);

  TLoadedLibraries libraries;
  // Recorded slots point into the image: only a completed load keeps them.
  auto importedFunctions = std::make_unique<TImportedFunctions>();
  LinkImports(image, headers, libraries, *importedFunctions);

  ProtectSections(image, file, headers);
  FlushInstructionCache(GetCurrentProcess(), memory.get(), headers.SizeOfImage);
  TRegisteredExceptionTable exceptionTable(image, headers);
  std::vector<PIMAGE_TLS_CALLBACK> tlsCallbacks = TlsCallbacks(image, headers);

  const std::uint32_t entryPoint = headers.AddressOfEntryPoint;
  TDllEntry entry = entryPoint != 0 ? reinterpret_cast<TDllEntry>(image.Bytes(entryPoint, 1, "the entry point")) : nullptr;
  auto* instance = reinterpret_cast<HINSTANCE>(memory.get());
  // The loading thread was running before the module existed: like the
  // system, the module hears only of the process attaching, never of this
  // thread attaching as well.
  for (PIMAGE_TLS_CALLBACK callback : tlsCallbacks) CallTlsCallbackGuarded(callback, instance, DLL_PROCESS_ATTACH);
  if (entry && !CallEntryGuarded(entry, instance, DLL_PROCESS_ATTACH)) {
    // A module that refused to start is told it goes, as the system tells
    // it, before its memory and libraries are released on the way out.
    Detach(tlsCallbacks, entry, instance);
    throw ELoaderError(ModuleName(image, headers) + " failed to initialise: its entry point returned FALSE");
  }

  libraries_ = libraries.Release();
  importedFunctions_ = std::move(importedFunctions);
  exceptionTable_ = std::move(exceptionTable);
  tlsCallbacks_ = std::move(tlsCallbacks);
  imageSize_ = headers.SizeOfImage;
  entry_ = entry;
  base_ = memory.release();
}

// Each library the import table names is loaded; a library that cannot be
// loaded fails the load, since its slots would be left empty for the module
// to call through.
void TDLLLoader::LinkImports(const TBoundedMemory& image, const TPeHeaders& headers, TLoadedLibraries& libraries,
                             TImportedFunctions& importedFunctions) {
  const IMAGE_DATA_DIRECTORY imports = headers.Directory(IMAGE_DIRECTORY_ENTRY_IMPORT);
  const unsigned thunkSize = headers.ThunkSize();
  const std::uint64_t ordinalFlag = headers.Is64 ? IMAGE_ORDINAL_FLAG64 : IMAGE_ORDINAL_FLAG32;
  for (std::uint64_t at = imports.VirtualAddress; imports.VirtualAddress != 0; at += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
    const auto descriptor = image.Read<IMAGE_IMPORT_DESCRIPTOR>(at, "an import descriptor");
    if (descriptor.Name == 0) break;
    const char* libraryName = image.String(descriptor.Name, "an import library name");
    HMODULE library = LoadLibraryA(libraryName);
    if (!library) throw ELoaderError(std::string("the module's import library ") + libraryName + " cannot be loaded");
    libraries.Add(library);

    // A bound descriptor's FirstThunk holds addresses already; its names are
    // only in OriginalFirstThunk.
    const std::uint32_t names = descriptor.TimeDateStamp != 0 ? descriptor.OriginalFirstThunk : descriptor.FirstThunk;
    for (std::uint64_t i = 0;; ++i) {
      const std::uint8_t* nameThunk = image.Bytes(std::uint64_t{names} + i * thunkSize, thunkSize, "an import name table");
      std::uint64_t thunk = 0;
      std::memcpy(&thunk, nameThunk, thunkSize);
      if (thunk == 0) break;
      std::uint8_t* slot = image.Bytes(std::uint64_t{descriptor.FirstThunk} + i * thunkSize, thunkSize,
                                       "an import address table");
      TImportProc proc;
      if (thunk & ordinalFlag) {
        proc = TImportProc::ByNumber(static_cast<WORD>(thunk & 0xFFFF));
      } else {
        // The name record's address is a 31-bit offset into the image.
        proc = TImportProc::ByName(image.String((thunk & 0x7FFFFFFF) + 2, "an import name"));
        importedFunctions.Add(libraryName, proc.Name, reinterpret_cast<void**>(slot));
      }
      FARPROC address = ImportOverride(libraryName, proc);
      if (!address) address = GetProcAddress(library, proc.ByOrdinal() ? MAKEINTRESOURCEA(proc.Ordinal) : proc.Name);
      const auto value = reinterpret_cast<std::uintptr_t>(address);
      std::memcpy(slot, &value, sizeof value);
    }
  }
}

void* TDLLLoader::FindExport(const char* name) const {
  if (!base_ || !name) return nullptr;
  try {
    const TBoundedMemory image(base_, imageSize_);
    const IMAGE_DATA_DIRECTORY directory = TPeHeaders::Read(image).Directory(IMAGE_DIRECTORY_ENTRY_EXPORT);
    if (directory.VirtualAddress == 0) return nullptr;
    const auto exports = image.Read<IMAGE_EXPORT_DIRECTORY>(directory.VirtualAddress, "the export directory");
    for (DWORD i = 0; i < exports.NumberOfNames; ++i) {
      const auto nameRva = image.Read<std::uint32_t>(exports.AddressOfNames + i * 4ull, "an export name table");
      if (lstrcmpA(image.String(nameRva, "an export name"), name) != 0) continue;
      const auto index = image.Read<WORD>(exports.AddressOfNameOrdinals + i * 2ull, "an export ordinal table");
      const auto function = image.Read<std::uint32_t>(exports.AddressOfFunctions + index * 4ull, "an export address table");
      return image.Bytes(function, 1, "an export");
    }
  } catch (const ELoaderError&) {
    // A damaged export table exports nothing.
  }
  return nullptr;
}

void TDLLLoader::Unload() noexcept {
  importedFunctions_.reset();
  if (!base_) return;
  Detach(tlsCallbacks_, entry_, reinterpret_cast<HINSTANCE>(base_));
  for (HMODULE library : libraries_) FreeLibrary(library);
  libraries_.clear();
  tlsCallbacks_.clear();
  exceptionTable_ = {};
  VirtualFree(base_, 0, MEM_RELEASE);
  base_ = nullptr;
}

}  // namespace vell::player
