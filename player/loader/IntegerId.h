#pragma once
#include <windows.h>

#include <cstdint>

namespace vell::player {

// A name argument that carries a 16-bit number in the pointer's place (a
// resource id, a class atom, an import ordinal) instead of pointing at text.
inline bool IsIntegerId(const void* name) { return (reinterpret_cast<std::uintptr_t>(name) >> 16) == 0; }

inline WORD IntegerId(const void* name) { return static_cast<WORD>(reinterpret_cast<std::uintptr_t>(name)); }

}  // namespace vell::player
