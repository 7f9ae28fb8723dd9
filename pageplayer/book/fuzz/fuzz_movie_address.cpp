// libFuzzer target over address resolution: whatever a book names, what
// comes back lies below the movie's folder and has no step that a file
// system or a URL decoder could take upward.
//
// The first byte chooses the movie's address and how the rest is read: as
// Latin-1 characters, or (high bit set) as UTF-16LE.
#include <cstddef>
#include <cstdint>
#include <cwctype>
#include <string>

#include "MovieAddress.h"

namespace {

const wchar_t* const kMovies[] = {
    L"Z:\\FromMemory\\46A10F369771449587DE913EFC0A258C\\1\\book.swf",
    L"C:\\books\\a\\book.swf",
    L"\\\\server\\share\\book.swf",
    L"http://example.test/b/book.swf?q=1",
    L"file:///Z:/tmp/book.swf",
};

std::wstring Name(const std::uint8_t* data, std::size_t size, bool wide) {
  std::wstring name;
  if (wide) {
    for (std::size_t i = 0; i + 1 < size; i += 2) name += static_cast<wchar_t>(data[i] | (data[i + 1] << 8));
  } else {
    for (std::size_t i = 0; i < size; ++i) name += static_cast<wchar_t>(data[i]);
  }
  return name;
}

bool IsSeparator(wchar_t c) { return c == L'/' || c == L'\\'; }

// A segment some later reader could take for "." or "..": dots and blanks
// only, counting "%2e" as a dot.
bool CouldStepAside(const std::wstring& segment) {
  if (segment.empty()) return true;
  for (std::size_t i = 0; i < segment.size(); ++i) {
    if (segment[i] == L'%' && i + 2 < segment.size() && segment[i + 1] == L'2' &&
        std::towlower(segment[i + 2]) == L'e') {
      i += 2;
    } else if (segment[i] != L'.' && segment[i] != L' ') {
      return false;
    }
  }
  return true;
}

void CheckBelow(const std::wstring& folder, const std::wstring& resolved, bool isPath) {
  if (resolved.compare(0, folder.size(), folder) != 0) __builtin_trap();
  std::wstring rest = resolved.substr(folder.size());
  if (!isPath) rest = rest.substr(0, rest.find_first_of(L"?#"));
  if (rest.empty()) __builtin_trap();
  std::size_t start = 0;
  for (;;) {
    std::size_t end = start;
    while (end < rest.size() && !IsSeparator(rest[end])) ++end;
    if (CouldStepAside(rest.substr(start, end - start))) __builtin_trap();
    if (end == rest.size()) break;
    start = end + 1;
  }
  for (std::size_t i = 0; i < rest.size(); ++i) {
    const wchar_t c = rest[i];
    if (c < 0x20 || c == L':') __builtin_trap();
    if (c == L'%' && i + 2 < rest.size()) {
      const wchar_t high = rest[i + 1], low = static_cast<wchar_t>(std::towlower(rest[i + 2]));
      if ((high == L'2' && low == L'f') || (high == L'5' && low == L'c')) __builtin_trap();
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const pageplayer::TMovieAddress movie(kMovies[(data[0] & 0x7F) % std::size(kMovies)]);
  const std::wstring name = Name(data + 1, size - 1, (data[0] & 0x80) != 0);
  std::wstring why;
  const auto resolved = movie.Resolve(name, &why);
  if (!resolved) {
    if (why.empty()) __builtin_trap();
    return 0;
  }
  const std::wstring& text = movie.Text();
  const std::wstring base = movie.IsPath() ? text : text.substr(0, text.find_first_of(L"?#"));
  CheckBelow(base.substr(0, base.find_last_of(movie.IsPath() ? L"\\/" : L"/") + 1), *resolved, movie.IsPath());
  return 0;
}
