#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstdio>
#include <memory>

#include "FileSystem.h"
#include "FileTypeRegistration.h"
#include "WideText.h"
#include "ULog.h"

namespace {

[[noreturn]] void ThrowWriteError(const std::wstring& key, LSTATUS status) {
  char text[64];
  std::snprintf(text, sizeof text, " (error %ld)", static_cast<long>(status));
  throw ERegistryWriteError("Cannot write the registry key HKEY_CLASSES_ROOT\\" + WideToAnsi(key) + text);
}

class RegistryKey {
public:
  RegistryKey() = default;
  ~RegistryKey() {
    if (key_ != nullptr) RegCloseKey(key_);
  }
  RegistryKey(const RegistryKey&) = delete;
  RegistryKey& operator=(const RegistryKey&) = delete;
  HKEY* receive() { return &key_; }
  HKEY get() const { return key_; }

private:
  HKEY key_ = nullptr;
};

class ClassesRoot final : public IClassesRoot {
public:
  void SetDefaultValue(const std::wstring& key, const std::wstring& value) override {
    RegistryKey opened;
    LSTATUS status = RegCreateKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                     KEY_SET_VALUE, nullptr, opened.receive(), nullptr);
    if (status != ERROR_SUCCESS) ThrowWriteError(key, status);
    const auto bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
    status = RegSetValueExW(opened.get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()), bytes);
    if (status != ERROR_SUCCESS) ThrowWriteError(key, status);
  }

  void DeleteTree(const std::wstring& key) override {
    // A key that is not there is already what we want.
    RegDeleteTreeW(HKEY_CLASSES_ROOT, key.c_str());
    RegDeleteKeyW(HKEY_CLASSES_ROOT, key.c_str());
  }
};

void NotifyShell() { SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr); }


std::vector<std::wstring> CommandLineArguments() {
  int count = 0;
  std::unique_ptr<LPWSTR, decltype(&LocalFree)> argv(CommandLineToArgvW(GetCommandLineW(), &count), &LocalFree);
  std::vector<std::wstring> arguments;
  for (int i = 1; argv && i < count; ++i) arguments.emplace_back(argv.get()[i]);
  return arguments;
}

}  // namespace

bool HandleSetupSwitch() {
  ClassesRoot root;
  return HandleSetupSwitch(CommandLineArguments(), root, ExecutablePathWide(), NotifyShell);
}

void RegisterFileType() {
  ClassesRoot root;
  RegisterFileType(root, ExecutablePathWide(), NotifyShell);
}

void UnregisterFileType() {
  ClassesRoot root;
  UnregisterFileType(root, NotifyShell);
}

TSetupSwitchOutcome RunSetupSwitch() noexcept {
  // No window may appear: the exit code and standard error tell the installer.
  return GuardSetupSwitch([] { return HandleSetupSwitch(); },
                          [](const std::string& message) {
                            std::fprintf(stderr, "%s\n", message.c_str());
                            TLog4DP::Log(message);
                          });
}
