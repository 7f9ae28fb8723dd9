#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <span>

class TStream;

namespace vell::player {

// Replaces the process-wide player code with the module held by `stream`
// (freeing the current one and unmapping its module); every player object
// created afterwards comes from it. The bytes are copied: the caller may free
// them right after the call.
void InstallPlayerCode(std::span<const std::byte> stream);
// The same with the whole of `stream`, read from its start whatever its position.
void InstallPlayerCode(TStream& stream);

// Packed version (major in the top byte) of the loaded player module, 0 when
// there is no provider or its module has no version.
std::uint32_t LoadedPlayerVersion();

// A player object from the process-wide provider; E_FAIL when there is none.
HRESULT CreatePlayerObject(REFIID interfaceId, void** object);

}  // namespace vell::player
