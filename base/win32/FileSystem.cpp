#include "FileSystem.h"

#include <windows.h>

#include <algorithm>

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

std::wstring FullPathWide(const std::wstring& path) {
  const DWORD needed = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (needed == 0) return {};
  std::wstring full(needed, L'\0');
  const DWORD length = GetFullPathNameW(path.c_str(), needed, full.data(), nullptr);
  if (length == 0 || length >= needed) return {};
  full.resize(length);
  return full;
}

std::optional<std::string> ReadWholeFile(void* file, std::size_t largest) {
  LARGE_INTEGER size{}, at{};
  if (!GetFileSizeEx(file, &size) || !SetFilePointerEx(file, LARGE_INTEGER{}, &at, FILE_CURRENT)) return std::nullopt;
  const long long rest = size.QuadPart - at.QuadPart;
  if (rest < 0 || static_cast<unsigned long long>(rest) > largest) return std::nullopt;
  std::string bytes(static_cast<std::size_t>(rest), '\0');
  std::size_t done = 0;
  while (done < bytes.size()) {
    DWORD got = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 20));
    if (!ReadFile(file, bytes.data() + done, chunk, &got, nullptr) || got == 0) return std::nullopt;
    done += got;
  }
  return bytes;
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
