#include "player/loader/DllLoader.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "player/loader/BoundedMemory.h"
#include "player/loader/GuardedEntryCall.h"
#include "player/loader/PeHeaders.h"

namespace vell::player {

namespace {

// Larger images are refused rather than attempted: no player comes close.
constexpr std::uint32_t kMaxImageSize = 512u * 1024 * 1024;

struct TImageRelease {
  void operator()(std::uint8_t* base) const noexcept { VirtualFree(base, 0, MEM_RELEASE); }
};
using TImageMemory = std::unique_ptr<std::uint8_t, TImageRelease>;

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

TImageMemory MapSections(const TBoundedMemory& file, const TPeHeaders& headers) {
  const std::uint32_t imageSize = headers.Optional.SizeOfImage;
  if (imageSize == 0 || imageSize > kMaxImageSize) throw ELoaderError("the module image has an unusable size");
  if (headers.Optional.SizeOfHeaders > imageSize) throw ELoaderError("the module headers are larger than the image");

  TImageMemory memory(static_cast<std::uint8_t*>(VirtualAlloc(nullptr, imageSize, MEM_COMMIT, PAGE_EXECUTE_READWRITE)));
  if (!memory) throw ELoaderError("no memory for the module image");
  const TBoundedMemory image(memory.get(), imageSize);

  std::memcpy(memory.get(), file.Bytes(0, headers.Optional.SizeOfHeaders, "the module headers"),
              headers.Optional.SizeOfHeaders);

  for (unsigned i = 0; i < headers.File.NumberOfSections; ++i) {
    const IMAGE_SECTION_HEADER section = headers.Section(file, i);
    std::uint8_t* target = image.Bytes(section.VirtualAddress, section.Misc.VirtualSize, "a section");
    std::memset(target, 0, section.Misc.VirtualSize);
    const std::uint32_t rawCount = std::min<std::uint32_t>(section.Misc.VirtualSize, section.SizeOfRawData);
    std::memcpy(target, file.Bytes(section.PointerToRawData, rawCount, "a section's file data"), rawCount);
  }
  return memory;
}

// Every entry of a non-zero type is applied as a 32-bit full-address fix-up,
// also when the image landed at its preferred base.
void Relocate(const TBoundedMemory& image, const TPeHeaders& headers) {
  const IMAGE_DATA_DIRECTORY directory = headers.Directory(IMAGE_DIRECTORY_ENTRY_BASERELOC);
  if (directory.VirtualAddress == 0 || directory.Size == 0) return;
  image.Bytes(directory.VirtualAddress, directory.Size, "the relocation table");

  const std::uint32_t delta = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(image.Begin())) -
                              headers.Optional.ImageBase;
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
      if ((entry >> 12) == IMAGE_REL_BASED_ABSOLUTE) continue;
      auto* target = image.Bytes(std::uint64_t{blockHeader.VirtualAddress} + (entry & 0xFFF), 4, "a relocation target");
      std::uint32_t value;
      std::memcpy(&value, target, 4);
      value += delta;
      std::memcpy(target, &value, 4);
    }
    block = entries + std::uint64_t{entryCount} * sizeof(WORD);
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
  TImageMemory memory = MapSections(file, headers);
  const TBoundedMemory image(memory.get(), headers.Optional.SizeOfImage);
  Relocate(image, headers);

  TLoadedLibraries libraries;
  // Recorded slots point into the image: only a completed load keeps them.
  auto importedFunctions = std::make_unique<TImportedFunctions>();
  const IMAGE_DATA_DIRECTORY imports = headers.Directory(IMAGE_DIRECTORY_ENTRY_IMPORT);
  for (std::uint64_t at = imports.VirtualAddress; imports.VirtualAddress != 0; at += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
    const auto descriptor = image.Read<IMAGE_IMPORT_DESCRIPTOR>(at, "an import descriptor");
    if (descriptor.Name == 0) break;
    const char* libraryName = image.String(descriptor.Name, "an import library name");
    HMODULE library = LoadLibraryA(libraryName);
    if (library) libraries.Add(library);

    // A bound descriptor's FirstThunk holds addresses already; its names are
    // only in OriginalFirstThunk.
    const std::uint32_t names = descriptor.TimeDateStamp != 0 ? descriptor.OriginalFirstThunk : descriptor.FirstThunk;
    for (std::uint32_t i = 0;; ++i) {
      const auto thunk = image.Read<std::uint32_t>(std::uint64_t{names} + i * 4ull, "an import name table");
      if (thunk == 0) break;
      auto* slot = image.At<std::uint32_t>(std::uint64_t{descriptor.FirstThunk} + i * 4ull, "an import address table");
      TImportProc proc;
      if (thunk & IMAGE_ORDINAL_FLAG32) {
        proc = TImportProc::ByNumber(static_cast<WORD>(thunk & 0xFFFF));
      } else {
        proc = TImportProc::ByName(image.String(std::uint64_t{thunk} + 2, "an import name"));
        importedFunctions->Add(libraryName, proc.Name, reinterpret_cast<void**>(slot));
      }
      FARPROC address = ImportOverride(libraryName, proc);
      if (!address) address = GetProcAddress(library, proc.ByOrdinal() ? MAKEINTRESOURCEA(proc.Ordinal) : proc.Name);
      *slot = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(address));
    }
  }

  FlushInstructionCache(GetCurrentProcess(), memory.get(), headers.Optional.SizeOfImage);

  const std::uint32_t entryPoint = headers.Optional.AddressOfEntryPoint;
  if (entryPoint != 0) {
    auto* entry = reinterpret_cast<TDllEntry>(image.Bytes(entryPoint, 1, "the entry point"));
    auto* instance = reinterpret_cast<HINSTANCE>(memory.get());
    CallEntryGuarded(entry, instance, DLL_PROCESS_ATTACH);
    CallEntryGuarded(entry, instance, DLL_THREAD_ATTACH);
  }

  libraries_ = libraries.Release();
  importedFunctions_ = std::move(importedFunctions);
  imageSize_ = headers.Optional.SizeOfImage;
  entryPoint_ = entryPoint;
  base_ = memory.release();
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
  if (entryPoint_ != 0) {
    try {
      CallEntryGuarded(reinterpret_cast<TDllEntry>(base_ + entryPoint_), reinterpret_cast<HINSTANCE>(base_),
                       DLL_PROCESS_DETACH);
    } catch (const ELoaderError&) {
      // A module that faults on its way out is unmapped all the same.
    }
  }
  for (HMODULE library : libraries_) FreeLibrary(library);
  libraries_.clear();
  VirtualFree(base_, 0, MEM_RELEASE);
  base_ = nullptr;
}

}  // namespace vell::player
