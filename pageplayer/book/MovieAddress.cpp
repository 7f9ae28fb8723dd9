#include "MovieAddress.h"

#include <cwctype>
#include <vector>

namespace pageplayer {

namespace {

bool LooksLikePath(const std::wstring& address) {
  if (address.size() >= 2 && std::iswalpha(address[0]) && address[1] == L':') {
    return address.size() == 2 || address[2] == L'\\' || address[2] == L'/';
  }
  return address.starts_with(L"\\\\") || address.starts_with(L"\\");
}

bool IsSeparator(wchar_t c) { return c == L'/' || c == L'\\'; }

// "%2e" is a dot to whoever decodes the name later (a URL moniker does), so
// the dots of a segment are counted after decoding it.
std::wstring DecodedDots(const std::wstring& segment) {
  std::wstring out;
  for (std::size_t i = 0; i < segment.size(); ++i) {
    if (segment[i] == L'%' && i + 2 < segment.size() && segment[i + 1] == L'2' &&
        (segment[i + 2] == L'e' || segment[i + 2] == L'E')) {
      out += L'.';
      i += 2;
    } else {
      out += segment[i];
    }
  }
  return out;
}

// Windows drops trailing dots and blanks from a path's names, so ".. " and
// "..." would open what ".." opens: a segment of nothing else is refused
// unless it is exactly "." or "..".
enum class TSegment { Name, Current, Parent, Ambiguous };

TSegment Classify(const std::wstring& segment) {
  const std::wstring decoded = DecodedDots(segment);
  if (decoded == L".") return TSegment::Current;
  if (decoded == L"..") return TSegment::Parent;
  if (decoded.find_first_not_of(L". ") == std::wstring::npos) return TSegment::Ambiguous;
  return TSegment::Name;
}

bool HasEncodedSeparator(const std::wstring& text) {
  for (std::size_t i = 0; i + 2 < text.size(); ++i) {
    if (text[i] != L'%') continue;
    const wchar_t high = text[i + 1], low = static_cast<wchar_t>(std::towlower(text[i + 2]));
    if ((high == L'2' && low == L'f') || (high == L'5' && low == L'c')) return true;
  }
  return false;
}

struct TSplitName {
  std::vector<std::wstring> segments;
  std::wstring suffix;  // query and fragment, as written
};

// The name's own segments with "." and ".." applied; a reason when it may
// not be resolved inside the book.
// A URL's query and fragment are no part of its path; a path has none, and
// a Windows name may hold "#".
std::optional<TSplitName> SplitInsideBook(const std::wstring& relative, bool hasQuery, std::wstring& why) {
  const std::size_t suffixStart = hasQuery ? relative.find_first_of(L"?#") : std::wstring::npos;
  const std::wstring path = relative.substr(0, suffixStart);
  TSplitName name;
  if (suffixStart != std::wstring::npos) name.suffix = relative.substr(suffixStart);
  for (wchar_t c : relative) {
    if (c < 0x20 || c == 0x7F) {
      why = L"it holds a control character";
      return std::nullopt;
    }
  }
  if (path.empty()) {
    why = L"it names no file";
    return std::nullopt;
  }
  if (IsSeparator(path[0])) {
    why = path.size() > 1 && IsSeparator(path[1]) ? L"it is a UNC path" : L"it is an absolute path";
    return std::nullopt;
  }
  if (const std::size_t colon = path.find(L':'); colon != std::wstring::npos) {
    why = colon == 1 && std::iswalpha(path[0]) ? L"it names a drive" : L"it is an address of its own, not a name in the book";
    return std::nullopt;
  }
  if (HasEncodedSeparator(path)) {
    why = L"it hides a separator in an escape";
    return std::nullopt;
  }
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = start;
    while (end < path.size() && !IsSeparator(path[end])) ++end;
    const std::wstring segment = path.substr(start, end - start);
    // A doubled separator adds nothing, as it does to a file system.
    if (!segment.empty()) {
      switch (Classify(segment)) {
        case TSegment::Current: break;
        case TSegment::Parent:
          if (name.segments.empty()) {
            why = L"it climbs out of the book";
            return std::nullopt;
          }
          name.segments.pop_back();
          break;
        case TSegment::Ambiguous:
          why = L"a name of only dots and blanks";
          return std::nullopt;
        case TSegment::Name: name.segments.push_back(segment); break;
      }
    }
    start = end + 1;
  }
  if (name.segments.empty()) {
    why = L"it names the book's own folder";
    return std::nullopt;
  }
  return name;
}

}  // namespace

TMovieAddress::TMovieAddress(std::wstring address) : address_(std::move(address)), isPath_(LooksLikePath(address_)) {}

std::optional<std::wstring> TMovieAddress::Resolve(const std::wstring& relative, std::wstring* whyDeclined) const {
  std::wstring why;
  const std::optional<TSplitName> name = SplitInsideBook(relative, !isPath_, why);
  if (!name) {
    if (whyDeclined) *whyDeclined = why;
    return std::nullopt;
  }
  std::wstring folder;
  wchar_t separator = L'/';
  if (isPath_) {
    const std::size_t folderEnd = address_.find_last_of(L"\\/");
    if (folderEnd != std::wstring::npos) folder = address_.substr(0, folderEnd + 1);
    for (wchar_t& c : folder) {
      if (c == L'/') c = L'\\';
    }
    separator = L'\\';
  } else {
    const std::wstring withoutQuery = address_.substr(0, address_.find_first_of(L"?#"));
    const std::size_t folderEnd = withoutQuery.find_last_of(L'/');
    if (folderEnd != std::wstring::npos) folder = withoutQuery.substr(0, folderEnd + 1);
  }
  std::wstring resolved = folder;
  for (std::size_t i = 0; i < name->segments.size(); ++i) {
    if (i > 0) resolved += separator;
    resolved += name->segments[i];
  }
  resolved += name->suffix;
  return resolved;
}

bool IsBlankAddress(const std::wstring& address) {
  for (wchar_t c : address) {
    if (!std::iswspace(c)) return false;
  }
  return true;
}

}  // namespace pageplayer
