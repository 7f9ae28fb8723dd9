#include "player/hooks/PlayerHooks.h"

namespace vell::player::hooks {

// Code the player generates must be executable wherever it put it; a range
// that cannot be made so fails the call, as the player must not run it.
BOOL WINAPI HookFlushInstructionCache(HANDLE process, LPCVOID address, SIZE_T size) {
  DWORD previous = 0;
  if (!VirtualProtect(const_cast<LPVOID>(address), size, PAGE_EXECUTE_READWRITE, &previous)) return FALSE;
  return ::FlushInstructionCache(process, address, size);
}

// Guard pages are not wanted under the reader: a guarded request becomes a
// plain one over the whole queried region.
LPVOID WINAPI HookVirtualAlloc(LPVOID address, SIZE_T size, DWORD allocationType, DWORD protection) {
  if (address && (protection & PAGE_GUARD)) {
    MEMORY_BASIC_INFORMATION region{};
    if (VirtualQuery(address, &region, sizeof region)) size = region.RegionSize;
    protection &= ~PAGE_GUARD;
  }
  return ::VirtualAlloc(address, size, allocationType, protection);
}

}  // namespace vell::player::hooks
