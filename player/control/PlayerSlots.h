// Calls a player method by its slot number. Players before version 7 give
// some slots other meanings than the interface declares, so property access
// goes through the method table with the signature that the caller knows
// the slot has for the player at hand.
#pragma once
#include <unknwn.h>

namespace vell::player {

template <class... Args>
HRESULT CallPlayerSlot(IUnknown* player, int slot, Args... args) {
  using TSlotFunction = HRESULT(STDMETHODCALLTYPE*)(IUnknown*, Args...);
  void* const* table = *reinterpret_cast<void* const* const*>(player);
  return reinterpret_cast<TSlotFunction>(table[slot])(player, args...);
}

}  // namespace vell::player
