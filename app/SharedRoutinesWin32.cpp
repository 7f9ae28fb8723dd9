// The platform half of the shared routines.
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include "FileSystem.h"
#include "SharedRoutines.h"
#include "WideText.h"
#include "ui/Application.h"
#include "ui/Form.h"

std::string PathBesideExe(const std::string& name) {
  return AddTrailingBackslash(ExtractFilePath(ExecutablePath())) + name;
}

std::string CommonAppDataFolder() {
  wchar_t path[MAX_PATH + 1] = {};
  if (FAILED(SHGetFolderPathW(nullptr, CSIDL_COMMON_APPDATA, nullptr, 0, path))) return std::string();
  return WideToText(path);
}

void ShellOpen(const std::string& target, const std::string& parameters) {
  HWND owner = nullptr;
  if (ui::TForm* main = ui::Application().MainForm(); main && main->HandleAllocated()) owner = main->Handle();
  std::string folder = ExtractFilePath(ExecutablePath());
  const std::wstring wideTarget = TextToWide(target), wideParameters = TextToWide(parameters);
  ShellExecuteW(owner, nullptr, wideTarget.c_str(), parameters.empty() ? nullptr : wideParameters.c_str(),
                TextToWide(folder).c_str(), SW_SHOW);
}
