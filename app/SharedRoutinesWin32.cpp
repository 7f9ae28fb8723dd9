// The platform half of the shared routines.
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include "FileSystem.h"
#include "SharedRoutines.h"
#include "ui/Application.h"
#include "ui/Form.h"

std::string PathBesideExe(const std::string& name) {
  return AddTrailingBackslash(ExtractFilePath(ExecutablePath())) + name;
}

std::string CommonAppDataFolder() {
  char path[MAX_PATH + 1] = {};
  if (FAILED(SHGetFolderPathA(nullptr, CSIDL_COMMON_APPDATA, nullptr, 0, path))) return std::string();
  return path;
}

void ShellOpen(const std::string& target, const std::string& parameters) {
  HWND owner = nullptr;
  if (ui::TForm* main = ui::Application().MainForm(); main && main->HandleAllocated()) owner = main->Handle();
  std::string folder = ExtractFilePath(ExecutablePath());
  ShellExecuteA(owner, nullptr, target.c_str(), parameters.empty() ? nullptr : parameters.c_str(), folder.c_str(),
                SW_SHOW);
}
