#include "ViewSettingsFile.h"

#include <windows.h>

#include "SharedRoutines.h"
#include "WideText.h"

namespace {

constexpr const char* kViewFileName = "view.ini";
constexpr const wchar_t* kSection = L"View";
constexpr const wchar_t* kLayoutKey = L"PageLayout";

}  // namespace

std::string ViewSettingsFileBeside(const std::string& recentListFile) {
  return ExtractFilePath(recentListFile) + kViewFileName;
}

TPageLayout ReadPageLayout(const std::string& file) {
  // The longest word is a few letters: anything longer is no choice at all.
  wchar_t value[32] = {};
  const DWORD n = GetPrivateProfileStringW(kSection, kLayoutKey, L"", value, sizeof value / sizeof *value,
                                           TextToWide(file).c_str());
  return PageLayoutFromName(WideToText(std::wstring(value, n)));
}

bool WritePageLayout(const std::string& file, TPageLayout layout) {
  return WritePrivateProfileStringW(kSection, kLayoutKey, TextToWide(PageLayoutName(layout)).c_str(),
                                    TextToWide(file).c_str()) != FALSE;
}
