#include "player/content/MemoryPath.h"

#include <algorithm>

#include "DecimalText.h"

namespace vell::player {

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
  const std::optional<int> id =
      ParseDecimal<int>(std::wstring_view(text).substr(restStart, slash - restStart), TDecimalSign::PlusOrMinus);
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
