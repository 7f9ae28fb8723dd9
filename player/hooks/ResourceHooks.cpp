#include <cstring>

#include "player/hooks/HookMaps.h"
#include "player/hooks/HookState.h"
#include "player/hooks/PlayerHooks.h"
#include "player/loader/ModuleResources.h"

// The system cannot load resources from a module it does not know, so the
// module's cursors and menus are built from its image in memory.
namespace vell::player::hooks {

namespace {
constexpr DWORD kCursorResourceVersion = 0x00030000;

// The group's header (reserved, type, count) and 14 bytes per cursor: the
// system reads as many entries as the count says, so they must all be there.
bool HoldsItsEntries(const void* group, DWORD size) {
  constexpr DWORD kHeaderSize = 6, kEntrySize = 14;
  if (size < kHeaderSize) return false;
  WORD count;
  std::memcpy(&count, static_cast<const BYTE*>(group) + 4, sizeof count);
  return kHeaderSize + DWORD{count} * kEntrySize <= size;
}
}  // namespace

HCURSOR WINAPI HookLoadCursorA(HINSTANCE instance, LPCSTR name) try {
  if (!instance) return ::LoadCursorA(nullptr, name);
  TSavedCursors* cursors = HookState().Cursors.get();
  if (cursors) {
    if (HCURSOR saved = cursors->Find(instance, name)) return saved;
  }
  DWORD groupSize = 0;
  void* group = nullptr;
  if (!FindModuleResource(instance, MAKEINTRESOURCEA(12), name, groupSize, group) || !HoldsItsEntries(group, groupSize)) {
    return nullptr;
  }
  const int id = LookupIconIdFromDirectory(static_cast<PBYTE>(group), FALSE);
  DWORD size = 0;
  void* data = nullptr;
  if (id == 0 || !FindModuleResource(instance, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(id), size, data)) return nullptr;
  HCURSOR cursor = CreateIconFromResource(static_cast<PBYTE>(data), size, FALSE, kCursorResourceVersion);
  if (cursor && cursors) cursors->Add(cursor, instance, name);
  return cursor;
} catch (...) {
  return nullptr;
}

HMENU WINAPI HookLoadMenuA(HINSTANCE instance, LPCSTR name) try {
  DWORD size = 0;
  void* data = nullptr;
  if (!instance || !FindModuleResource(instance, MAKEINTRESOURCEA(4), name, size, data)) return nullptr;
  return LoadMenuIndirectA(data);
} catch (...) {
  return nullptr;
}

}  // namespace vell::player::hooks
