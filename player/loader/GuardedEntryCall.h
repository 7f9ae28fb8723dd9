#pragma once
#include <windows.h>

namespace vell::player {

using TDllEntry = BOOL(WINAPI*)(HINSTANCE, DWORD, LPVOID);

// Calls a mapped module's entry point, or one of its TLS callbacks, with
// (instance, reason, no reserved pointer). A processor fault inside it that
// the module does not handle itself raises ELoaderError here instead of
// ending the process. The process's unhandled-exception filter is the
// caller's again on every way out, a C++ exception passing through included.
// The entry point's own answer is returned: FALSE refuses an attach.
BOOL CallEntryGuarded(TDllEntry entry, HINSTANCE instance, DWORD reason);
void CallTlsCallbackGuarded(PIMAGE_TLS_CALLBACK callback, HINSTANCE instance, DWORD reason);

}  // namespace vell::player
