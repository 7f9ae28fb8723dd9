// Where the control's player objects, and the version of the module they come
// from, are taken. Empty until bound: a control then has no player object and
// the module version reads 0. The reader binds the process-wide code provider
// (PlayerCodeBinding.cpp); tests bind objects of their own.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>

namespace vell::player {

struct TPlayerCodeSource {
  std::function<HRESULT(REFIID interfaceId, void** object)> CreatePlayerObject;
  std::function<std::uint32_t()> LoadedPlayerVersion;
};

TPlayerCodeSource& PlayerCodeSource();

}  // namespace vell::player
