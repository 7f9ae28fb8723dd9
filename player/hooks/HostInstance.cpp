#include "player/hooks/PlayerHooks.h"

namespace vell::player::hooks {

// The executable's instance when this library is linked into a program, the
// DLL's own when it is built into one.
HINSTANCE HostInstance() {
  HMODULE self = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCWSTR>(&HostInstance), &self);
  return self;
}

}  // namespace vell::player::hooks
