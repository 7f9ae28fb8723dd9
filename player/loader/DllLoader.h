#pragma once
#include <windows.h>

#include <cstddef>
#include <memory>
#include <span>
#include <vector>

#include "player/loader/ExceptionTable.h"
#include "player/loader/GuardedEntryCall.h"
#include "player/loader/ImportedFunctions.h"
#include "player/loader/LoaderError.h"
#include "player/loader/PeHeaders.h"

namespace vell::player {

// What an import names: a function name, or an ordinal when Name is null.
struct TImportProc {
  const char* Name = nullptr;
  WORD Ordinal = 0;

  bool ByOrdinal() const { return Name == nullptr; }
  static TImportProc ByName(const char* name) { return {name, 0}; }
  static TImportProc ByNumber(WORD ordinal) { return {nullptr, ordinal}; }
};

class TLoadedLibraries;

// Maps a DLL image from memory without the system's loader: lays it out,
// relocates it, links its imports (asking ImportOverride first), gives its
// sections their protection, registers its exception table, runs its TLS
// callbacks and entry point and finds its exports. Destruction detaches and
// unmaps it. The image must be made for the machine type of this process
// (a 32-bit image in a 32-bit process, a 64-bit one in a 64-bit process).
class TDLLLoader {
public:
  TDLLLoader();
  virtual ~TDLLLoader();
  TDLLLoader(const TDLLLoader&) = delete;
  TDLLLoader& operator=(const TDLLLoader&) = delete;

  // Replacement address for an import, or null to link the system's function.
  virtual FARPROC ImportOverride(const char* libraryName, TImportProc proc);

  // Maps the image held by `image`. Raises ELoaderError on a malformed image,
  // one of another machine type, one whose import library is missing or one
  // whose entry point refuses the attach; whatever a failed load took is
  // released again. A loader loads once.
  void LoadModule(std::span<const std::byte> image);

  // Address of the export of exactly this name (case-sensitive), or null.
  void* FindExport(const char* name) const;

  // Base of the mapped image, null until a load has completed.
  HMODULE ModuleBase() const { return reinterpret_cast<HMODULE>(base_); }
  const std::vector<HMODULE>& Libraries() const { return libraries_; }
  const TImportedFunctions* ImportedFunctions() const { return importedFunctions_.get(); }

private:
  void LinkImports(const TBoundedMemory& image, const TPeHeaders& headers, TLoadedLibraries& libraries,
                   TImportedFunctions& importedFunctions);
  void Unload() noexcept;

  std::uint8_t* base_ = nullptr;
  std::size_t imageSize_ = 0;
  TDllEntry entry_ = nullptr;
  std::vector<PIMAGE_TLS_CALLBACK> tlsCallbacks_;
  TRegisteredExceptionTable exceptionTable_;
  std::vector<HMODULE> libraries_;
  std::unique_ptr<TImportedFunctions> importedFunctions_;
};

}  // namespace vell::player
