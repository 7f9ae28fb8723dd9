#include "FileTypeRegistration.h"

std::wstring OpenCommandValue(const std::wstring& exePath) { return L"\"" + exePath + L"\" -s\"%1\""; }

std::wstring DefaultIconValue(const std::wstring& exePath) { return L"\"" + exePath + L"\",0"; }

TSetupSwitch ParseSetupSwitch(const std::vector<std::wstring>& arguments) {
  if (arguments.size() != 1) return TSetupSwitch::None;
  const std::wstring& argument = arguments.front();
  if (argument.size() != 2 || argument[0] != L'-') return TSetupSwitch::None;
  switch (argument[1]) {
    case L'I':
    case L'i':
      return TSetupSwitch::Install;
    case L'R':
    case L'r':
      return TSetupSwitch::Remove;
    default:
      return TSetupSwitch::None;
  }
}

void RegisterFileType(IClassesRoot& root, const std::wstring& exePath, const TShellNotifier& notifyShell) {
  root.SetDefaultValue(kBookExtensionKey, kBookClassKey);
  root.SetDefaultValue(kOpenCommandKey, OpenCommandValue(exePath));
  root.SetDefaultValue(kDefaultIconKey, DefaultIconValue(exePath));
  if (notifyShell) notifyShell();
}

void UnregisterFileType(IClassesRoot& root, const TShellNotifier& notifyShell) {
  root.DeleteTree(kBookExtensionKey);
  root.DeleteTree(kBookClassKey);
  if (notifyShell) notifyShell();
}

TSetupSwitchOutcome GuardSetupSwitch(const std::function<bool()>& handleSetupSwitch,
                                     const std::function<void(const std::string&)>& report) noexcept {
  std::string message = "The file type could not be registered.";
  try {
    return {handleSetupSwitch(), 0};
  } catch (const std::exception& error) {
    message = error.what();
  } catch (...) {
  }
  try {
    if (report) report(message);
  } catch (...) {
    // Reporting is a courtesy; the exit code already says it.
  }
  return {false, kExitRegistryWriteFailed};
}

bool HandleSetupSwitch(const std::vector<std::wstring>& arguments, IClassesRoot& root,
                       const std::wstring& exePath, const TShellNotifier& notifyShell) {
  switch (ParseSetupSwitch(arguments)) {
    case TSetupSwitch::Install:
      RegisterFileType(root, exePath, notifyShell);
      return false;
    case TSetupSwitch::Remove:
      UnregisterFileType(root, notifyShell);
      return false;
    case TSetupSwitch::None:
      break;
  }
  return true;
}
