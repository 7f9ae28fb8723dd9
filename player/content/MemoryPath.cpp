#include "player/content/MemoryPath.h"

#include <algorithm>
#include <cwctype>
#include <vector>

#include "DecimalText.h"

namespace vell::player {

namespace {

std::wstring NamespaceFolder() { return std::wstring(L"Z:/FromMemory/") + kMemoryPathMarker + L"/"; }

// What follows the namespace's folder, "/" separators; none when the text
// does not begin with it.
std::optional<std::wstring> BelowNamespace(const std::wstring& path) {
  std::wstring text = path;
  std::replace(text.begin(), text.end(), L'\\', L'/');
  std::wstring_view rest = text;
  const std::wstring_view scheme = L"file:";
  if (rest.size() >= scheme.size() &&
      std::equal(scheme.begin(), scheme.end(), rest.begin(), [](wchar_t a, wchar_t b) { return a == static_cast<wchar_t>(std::towlower(b)); })) {
    rest.remove_prefix(scheme.size());
    if (rest.starts_with(L"///")) rest.remove_prefix(3);
    else if (rest.starts_with(L"//")) rest.remove_prefix(2);
    else return std::nullopt;
  }
  const std::wstring folder = NamespaceFolder();
  if (!rest.starts_with(folder)) return std::nullopt;
  return std::wstring(rest.substr(folder.size()));
}

// "." and ".." applied; none when it climbs above its start. Empty segments
// stay, so a path without dot segments comes back exactly as it was.
std::optional<std::wstring> ApplyDotSegments(const std::wstring& relative) {
  std::vector<std::wstring> kept;
  bool dotted = false;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = std::min(relative.find(L'/', start), relative.size());
    const std::wstring segment = relative.substr(start, end - start);
    if (segment == L"." || segment == L"..") {
      dotted = true;
      if (segment == L"..") {
        if (kept.empty()) return std::nullopt;
        kept.pop_back();
      }
    } else {
      kept.push_back(segment);
    }
    if (end == relative.size()) break;
    start = end + 1;
  }
  if (!dotted) return relative;
  std::wstring joined;
  for (std::size_t i = 0; i < kept.size(); ++i) joined += (i ? L"/" : L"") + kept[i];
  return joined;
}

}  // namespace

bool InMemoryNamespace(const std::wstring& path) { return BelowNamespace(path).has_value(); }

std::optional<TMemoryPath> ParseMemoryPath(const std::wstring& path) {
  const std::optional<std::wstring> rest = BelowNamespace(path);
  if (!rest) return std::nullopt;
  const std::size_t slash = rest->find(L'/');
  if (slash == std::wstring::npos) return std::nullopt;
  const std::optional<int> id = ParseDecimal<int>(std::wstring_view(*rest).substr(0, slash), TDecimalSign::PlusOrMinus);
  if (!id) return std::nullopt;
  const std::wstring relative = rest->substr(slash + 1);
  const std::optional<std::wstring> inside = ApplyDotSegments(relative);
  return TMemoryPath{*id, inside.value_or(relative), !inside};
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
