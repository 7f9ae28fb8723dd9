#pragma once
#include <windows.h>

#include <cstddef>
#include <memory>
#include <span>
#include <vector>

#include "player/loader/ImportedFunctions.h"
#include "player/loader/LoaderError.h"

namespace vell::player {

// What an import names: a function name, or an ordinal when Name is null.
struct TImportProc {
  const char* Name = nullptr;
  WORD Ordinal = 0;

  bool ByOrdinal() const { return Name == nullptr; }
  static TImportProc ByName(const char* name) { return {name, 0}; }
  static TImportProc ByNumber(WORD ordinal) { return {nullptr, ordinal}; }
};

// Maps a 32-bit DLL image from memory without the system's loader: lays it
// out, relocates it, links its imports (asking ImportOverride first), runs its
// entry point and finds its exports. Destruction detaches and unmaps it.
class TDLLLoader {
public:
  TDLLLoader();
  virtual ~TDLLLoader();
  TDLLLoader(const TDLLLoader&) = delete;
  TDLLLoader& operator=(const TDLLLoader&) = delete;

  // Replacement address for an import, or null to link the system's function.
  virtual FARPROC ImportOverride(const char* libraryName, TImportProc proc);

  // Maps the image held by `image`. Raises ELoaderError on a malformed image;
  // whatever a failed load took is released again. A loader loads once.
  void LoadModule(std::span<const std::byte> image);

  // Address of the export of exactly this name (case-sensitive), or null.
  void* FindExport(const char* name) const;

  // Base of the mapped image, null until a load has completed.
  HMODULE ModuleBase() const { return reinterpret_cast<HMODULE>(base_); }
  const std::vector<HMODULE>& Libraries() const { return libraries_; }
  const TImportedFunctions* ImportedFunctions() const { return importedFunctions_.get(); }

private:
  void Unload() noexcept;

  std::uint8_t* base_ = nullptr;
  std::size_t imageSize_ = 0;
  std::uint32_t entryPoint_ = 0;
  std::vector<HMODULE> libraries_;
  std::unique_ptr<TImportedFunctions> importedFunctions_;
};

}  // namespace vell::player
