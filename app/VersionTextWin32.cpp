#include <windows.h>

#include <vector>

#include "VersionText.h"

std::string GetVersionText() {
  wchar_t path[MAX_PATH + 1] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(path, &ignored);
  if (size == 0) return FormatVersionText(0, 0, 0);
  std::vector<BYTE> block(size);
  VS_FIXEDFILEINFO* info = nullptr;
  UINT infoSize = 0;
  if (!GetFileVersionInfoW(path, 0, size, block.data()) ||
      !VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&info), &infoSize) || info == nullptr ||
      infoSize < sizeof(VS_FIXEDFILEINFO)) {
    return FormatVersionText(0, 0, 0);
  }
  return FormatVersionText(info->dwFileVersionMS, info->dwFileVersionLS, info->dwFileFlags);
}
