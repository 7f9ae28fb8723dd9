#include "player/hooks/HookMaps.h"

#include "player/loader/IntegerId.h"

namespace vell::player {

void TMapString2String::Set(const std::wstring& key, const std::wstring& value) {
  std::lock_guard guard(lock_);
  for (TStringPair& pair : pairs_) {
    if (lstrcmpiW(pair.Key.c_str(), key.c_str()) == 0) {
      pair.Value = value;
      return;
    }
  }
  pairs_.push_back({key, value});
}

std::optional<std::wstring> TMapString2String::Find(const std::wstring& key) const {
  std::lock_guard guard(lock_);
  for (const TStringPair& pair : pairs_) {
    if (lstrcmpiW(pair.Key.c_str(), key.c_str()) == 0) return pair.Value;
  }
  return std::nullopt;
}

void TMapCardinal2Cardinal::Add(std::uint32_t key, std::uint32_t value) { pairs_.push_back({key, value}); }

std::optional<std::uint32_t> TMapCardinal2Cardinal::Find(std::uint32_t key) const {
  for (const TCardinalPair& pair : pairs_) {
    if (pair.Key == key) return pair.Value;
  }
  return std::nullopt;
}

TSavedCursors::~TSavedCursors() {
  for (const TSavedCursor& saved : cursors_) DestroyCursor(saved.Cursor);
}

void TSavedCursors::Add(HCURSOR cursor, HINSTANCE instance, LPCSTR name) {
  TSavedCursor saved{cursor, instance, !IsIntegerId(name), 0, {}};
  if (saved.ByName) {
    saved.Name = name;
  } else {
    saved.Id = IntegerId(name);
  }
  std::lock_guard guard(lock_);
  cursors_.push_back(std::move(saved));
}

HCURSOR TSavedCursors::Find(HINSTANCE instance, LPCSTR name) const {
  const bool byName = !IsIntegerId(name);
  std::lock_guard guard(lock_);
  for (const TSavedCursor& saved : cursors_) {
    if (saved.Instance != instance || saved.ByName != byName) continue;
    if (byName ? saved.Name == name : saved.Id == IntegerId(name)) {
      return saved.Cursor;
    }
  }
  return nullptr;
}

}  // namespace vell::player
