#include "MovieAddress.h"

#include <cwctype>

namespace pageplayer {

namespace {

bool LooksLikePath(const std::wstring& address) {
  if (address.size() >= 2 && std::iswalpha(address[0]) && address[1] == L':') {
    return address.size() == 2 || address[2] == L'\\' || address[2] == L'/';
  }
  return address.starts_with(L"\\\\") || address.starts_with(L"\\");
}

}  // namespace

TMovieAddress::TMovieAddress(std::wstring address) : address_(std::move(address)), isPath_(LooksLikePath(address_)) {}

std::wstring TMovieAddress::Resolve(const std::wstring& relative) const {
  if (isPath_) {
    const std::size_t folderEnd = address_.find_last_of(L"\\/");
    std::wstring joined = (folderEnd == std::wstring::npos ? std::wstring() : address_.substr(0, folderEnd + 1));
    std::wstring tail = relative;
    while (!tail.empty() && (tail.front() == L'/' || tail.front() == L'\\')) tail.erase(0, 1);
    joined += tail;
    for (wchar_t& c : joined) {
      if (c == L'/') c = L'\\';
    }
    return joined;
  }
  const std::size_t query = address_.find_first_of(L"?#");
  const std::wstring withoutQuery = address_.substr(0, query);
  const std::size_t folderEnd = withoutQuery.find_last_of(L'/');
  if (folderEnd == std::wstring::npos) return relative;
  return withoutQuery.substr(0, folderEnd + 1) + relative;
}

bool IsBlankAddress(const std::wstring& address) {
  for (wchar_t c : address) {
    if (!std::iswspace(c)) return false;
  }
  return true;
}

}  // namespace pageplayer
