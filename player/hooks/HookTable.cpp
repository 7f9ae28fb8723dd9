#include <iterator>

#include "player/hooks/PlayerHooks.h"
#include "player/hooks/PlayerModuleLoader.h"
#include "player/loader/IntegerId.h"

namespace vell::player {

namespace {

struct THook {
  const char* Name;
  FARPROC Replacement;
};

template <typename F>
FARPROC AsProc(F function) {
  return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(function));
}

// Compared in this order; the library a function comes from plays no part.
const THook kHooks[] = {
    {"CreateURLMoniker", AsProc(hooks::HookCreateURLMoniker)},
    {"RegisterClassExA", AsProc(hooks::HookRegisterClassExA)},
    {"RegisterClassA", AsProc(hooks::HookRegisterClassA)},
    {"RegisterClassExW", AsProc(hooks::HookRegisterClassExW)},
    {"RegisterClassW", AsProc(hooks::HookRegisterClassW)},
    {"CreateWindowExA", AsProc(hooks::HookCreateWindowExA)},
    {"CreateWindowExW", AsProc(hooks::HookCreateWindowExW)},
    {"LoadCursorA", AsProc(hooks::HookLoadCursorA)},
    {"LoadMenuA", AsProc(hooks::HookLoadMenuA)},
    {"waveOutWrite", AsProc(hooks::HookWaveOutWrite)},
    {"waveOutOpen", AsProc(hooks::HookWaveOutOpen)},
    {"waveOutClose", AsProc(hooks::HookWaveOutClose)},
    {"FlushInstructionCache", AsProc(hooks::HookFlushInstructionCache)},
    {"CreateFileA", AsProc(hooks::HookCreateFileA)},
    {"VirtualAlloc", AsProc(hooks::HookVirtualAlloc)},
    {"ReadFile", AsProc(hooks::HookReadFile)},
    {"CloseHandle", AsProc(hooks::HookCloseHandle)},
    {"GetFileSize", AsProc(hooks::HookGetFileSize)},
    {"GetFileSizeEx", AsProc(hooks::HookGetFileSizeEx)},
    {"SetFilePointer", AsProc(hooks::HookSetFilePointer)},
    {"SetFilePointerEx", AsProc(hooks::HookSetFilePointerEx)},
    {"CreateFileW", AsProc(hooks::HookCreateFileW)},
    {"GetProcAddress", AsProc(hooks::HookGetProcAddress)},
};
static_assert(std::size(kHooks) == 23);

FARPROC ReplacementOf(TImportProc proc) {
  if (proc.ByOrdinal()) return nullptr;
  for (const THook& hook : kHooks) {
    if (lstrcmpA(proc.Name, hook.Name) == 0) return hook.Replacement;
  }
  return nullptr;
}

}  // namespace

FARPROC TPlayerModuleLoader::ImportOverride(const char*, TImportProc proc) { return ReplacementOf(proc); }

namespace hooks {

// Functions the module looks up at run time get the same replacements.
FARPROC WINAPI HookGetProcAddress(HMODULE module, LPCSTR name) try {
  const TImportProc proc = IsIntegerId(name) ? TImportProc::ByNumber(IntegerId(name)) : TImportProc::ByName(name);
  if (FARPROC replacement = ReplacementOf(proc)) return replacement;
  return ::GetProcAddress(module, name);
} catch (...) {
  return nullptr;
}

}  // namespace hooks
}  // namespace vell::player
