#include "player/content/MemoryPath.h"

#include <algorithm>
#include <climits>

namespace vell::player {

namespace {

std::optional<int> ParseDecimalId(const std::wstring& text) {
  if (text.empty()) return std::nullopt;
  std::size_t at = 0;
  bool negative = false;
  if (text[0] == L'-' || text[0] == L'+') {
    negative = text[0] == L'-';
    at = 1;
  }
  if (at == text.size()) return std::nullopt;
  long long value = 0;
  for (; at < text.size(); ++at) {
    const wchar_t digit = text[at];
    if (digit < L'0' || digit > L'9') return std::nullopt;
    value = value * 10 + (digit - L'0');
    if (value > static_cast<long long>(INT_MAX) + 1) return std::nullopt;
  }
  if (negative) value = -value;
  if (value > INT_MAX || value < INT_MIN) return std::nullopt;
  return static_cast<int>(value);
}

}  // namespace

std::optional<TMemoryPath> ParseMemoryPath(const std::wstring& path) {
  std::wstring text = path;
  std::replace(text.begin(), text.end(), L'\\', L'/');
  const std::wstring marker = kMemoryPathMarker;
  const std::size_t found = text.find(marker);
  if (found == std::wstring::npos) return std::nullopt;
  // The one character after the marker is its separator, whatever it is.
  const std::size_t restStart = found + marker.size() + 1;
  if (restStart >= text.size()) return std::nullopt;
  const std::size_t slash = text.find(L'/', restStart);
  if (slash == std::wstring::npos) return std::nullopt;
  const std::optional<int> id = ParseDecimalId(text.substr(restStart, slash - restStart));
  if (!id) return std::nullopt;
  return TMemoryPath{*id, text.substr(slash + 1)};
}

std::wstring MoviePathFor(int id) {
  return std::wstring(L"Z:\\FromMemory\\") + kMemoryPathMarker + L"\\" + std::to_wstring(id) + L"\\" + kMovieFileName;
}

bool SameResourceURL(const std::wstring& a, const std::wstring& b,
                     bool (*equal)(const std::wstring&, const std::wstring&)) {
  const std::optional<TMemoryPath> first = ParseMemoryPath(a);
  const std::optional<TMemoryPath> second = ParseMemoryPath(b);
  if (first && second) return first->Id == second->Id && equal(first->RelativePath, second->RelativePath);
  if (first || second) return false;
  return equal(a, b);
}

}  // namespace vell::player
