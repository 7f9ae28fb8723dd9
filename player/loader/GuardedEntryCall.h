#pragma once
#include <windows.h>

namespace vell::player {

using TDllEntry = BOOL(WINAPI*)(HINSTANCE, DWORD, LPVOID);

// Calls a mapped module's entry point with (instance, reason, no reserved
// pointer). A processor fault inside it that the module does not handle
// itself raises ELoaderError here instead of ending the process.
void CallEntryGuarded(TDllEntry entry, HINSTANCE instance, DWORD reason);

}  // namespace vell::player
