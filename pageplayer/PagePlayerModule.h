#pragma once
#include <windows.h>

// Module-wide state of the page player: its instance and the count of live
// objects and server locks that keeps it from being unloaded.
namespace pageplayer {

HINSTANCE ModuleInstance();
void AddModuleReference();
void ReleaseModuleReference();

}  // namespace pageplayer
