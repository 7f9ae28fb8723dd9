#pragma once
#include "player/loader/DllLoader.h"

namespace vell::player {

// Maps the player module with the system hooks in place of 23 of its imports.
class TPlayerModuleLoader : public TDLLLoader {
public:
  // The hook for a function of that exact name (case-sensitive), from any
  // library; imports by ordinal are never replaced.
  FARPROC ImportOverride(const char* libraryName, TImportProc proc) override;
};

}  // namespace vell::player
