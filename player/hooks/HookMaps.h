#pragma once
#include <windows.h>

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace vell::player {

// Requested window-class name -> private name; keys compare case-insensitively.
// The player may register classes and create windows on several threads at
// once, so the map takes its own lock.
class TMapString2String {
public:
  void Set(const std::wstring& key, const std::wstring& value);
  std::optional<std::wstring> Find(const std::wstring& key) const;

private:
  struct TStringPair {
    std::wstring Key, Value;
  };
  mutable std::mutex lock_;
  std::vector<TStringPair> pairs_;
};

// Wave device -> bytes per sample. Adding always appends; the first equal key wins.
class TMapCardinal2Cardinal {
public:
  void Add(std::uint32_t key, std::uint32_t value);
  std::optional<std::uint32_t> Find(std::uint32_t key) const;

private:
  struct TCardinalPair {
    std::uint32_t Key, Value;
  };
  std::vector<TCardinalPair> pairs_;
};

// Cursors made from a mapped module's resources, keyed by (instance, id or name).
class TSavedCursors {
public:
  TSavedCursors() = default;
  TSavedCursors(const TSavedCursors&) = delete;
  TSavedCursors& operator=(const TSavedCursors&) = delete;
  ~TSavedCursors();

  void Add(HCURSOR cursor, HINSTANCE instance, LPCSTR name);
  HCURSOR Find(HINSTANCE instance, LPCSTR name) const;

private:
  struct TSavedCursor {
    HCURSOR Cursor;
    HINSTANCE Instance;
    bool ByName;
    WORD Id;
    std::string Name;
  };
  mutable std::mutex lock_;
  std::vector<TSavedCursor> cursors_;
};

}  // namespace vell::player
