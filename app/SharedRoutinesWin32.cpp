// The platform half of the shared routines.
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include "SharedRoutines.h"
#include "ui/Application.h"
#include "ui/Form.h"

std::string ExecutablePath() {
  char path[MAX_PATH + 1] = {};
  DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  return std::string(path, length);
}

bool FileExists(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

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
