#include "TestBooks.h"

#include "TestHost.h"

#include <cstdio>
#include <stdexcept>

namespace pageplayer::testing {

namespace {

void RemoveTree(const std::wstring& folder) {
  WIN32_FIND_DATAW found;
  const HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = found.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring path = folder + L"\\" + name;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(path);
      } else {
        DeleteFileW(path.c_str());
      }
    } while (FindNextFileW(search, &found));
    FindClose(search);
  }
  RemoveDirectoryW(folder.c_str());
}

}  // namespace

TBookFolder::TBookFolder() {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  static int counter = 0;
  folder_ = std::wstring(temp) + L"pageplayer-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
            std::to_wstring(++counter);
  RemoveTree(folder_);
  if (!CreateDirectoryW(folder_.c_str(), nullptr)) throw std::runtime_error("no scratch folder");
}

TBookFolder::~TBookFolder() { RemoveTree(folder_); }

std::wstring TBookFolder::PathOf(const std::string& relative) const {
  std::wstring path = folder_ + L"\\" + std::wstring(relative.begin(), relative.end());
  for (wchar_t& c : path) {
    if (c == L'/') c = L'\\';
  }
  return path;
}

void TBookFolder::Write(const std::string& relative, const std::vector<std::uint8_t>& bytes) {
  const std::wstring path = PathOf(relative);
  for (std::size_t slash = path.find(L'\\', folder_.size() + 1); slash != std::wstring::npos;
       slash = path.find(L'\\', slash + 1)) {
    CreateDirectoryW(path.substr(0, slash).c_str(), nullptr);
  }
  WriteWholeFile(path, bytes.data(), bytes.size());
}

void TBookFolder::Write(const std::string& relative, const std::string& text) {
  Write(relative, std::vector<std::uint8_t>(text.begin(), text.end()));
}

std::string PageListFor(int count) {
  std::string list = "<?xml version=\"1.0\"?>\n<book title=\"Test\">\n";
  for (int page = 1; page <= count; ++page) {
    char line[64];
    std::snprintf(line, sizeof line, "  <page src=\"files/pages/%03d.jpg\"/>\n", page);
    list += line;
  }
  return list + "</book>\n";
}

COLORREF PageColour(int page) {
  static const COLORREF colours[] = {RGB(0xE0, 0x40, 0x40), RGB(0x40, 0xC0, 0x40), RGB(0x40, 0x60, 0xE0),
                                     RGB(0xE0, 0xC0, 0x30), RGB(0xB0, 0x40, 0xC0), RGB(0x30, 0xC0, 0xC0)};
  return colours[(page - 1) % 6];
}

}  // namespace pageplayer::testing
