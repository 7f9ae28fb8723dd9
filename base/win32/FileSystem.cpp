#include "FileSystem.h"

#include <windows.h>

#include "WideText.h"

std::wstring ExecutablePathWide() {
  // GetModuleFileNameW truncates without saying so other than by filling the
  // buffer: grow until the answer fits.
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

std::string ExecutablePath() { return WideToText(ExecutablePathWide()); }

bool FileExists(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(TextToWide(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool DirectoryExists(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(TextToWide(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool SameTextSystem(const std::string& a, const std::string& b) {
  const std::wstring wideA = TextToWide(a), wideB = TextToWide(b);
  return CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, wideA.data(), static_cast<int>(wideA.size()),
                        wideB.data(), static_cast<int>(wideB.size())) == CSTR_EQUAL;
}
