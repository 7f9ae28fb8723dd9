// Association of the book extension ".vlq" with the reader in the shell,
// written or removed when the program starts with "-I" or "-R".
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "Exception.h"

// A registry key that could not be created or written.
class ERegistryWriteError : public Exception {
public:
  using Exception::Exception;
};

// The shell's classes root, as far as the association needs it.
class IClassesRoot {
public:
  virtual ~IClassesRoot() = default;
  // Creates the key when missing and sets its default value; throws
  // ERegistryWriteError when either fails.
  virtual void SetDefaultValue(const std::wstring& key, const std::wstring& value) = 0;
  // Deletes the key with all its subkeys; a missing key is no error.
  virtual void DeleteTree(const std::wstring& key) = 0;
};

inline constexpr const wchar_t* kBookExtensionKey = L".vlq";
inline constexpr const wchar_t* kBookClassKey = L"VellReader.vlq";
inline constexpr const wchar_t* kOpenCommandKey = L"VellReader.vlq\\shell\\open\\command";
inline constexpr const wchar_t* kDefaultIconKey = L"VellReader.vlq\\DefaultIcon";

// "<exe>" -s"%1": the shell hands the book over as one "-s" argument.
std::wstring OpenCommandValue(const std::wstring& exePath);
// "<exe>",0: the program's first icon.
std::wstring DefaultIconValue(const std::wstring& exePath);

enum class TSetupSwitch { None, Install, Remove };
// `arguments` excludes the program itself; only a lone "-I" or "-R" counts.
TSetupSwitch ParseSetupSwitch(const std::vector<std::wstring>& arguments);

using TShellNotifier = std::function<void()>;

// A failed write raises before the shell is notified.
void RegisterFileType(IClassesRoot& root, const std::wstring& exePath, const TShellNotifier& notifyShell);
void UnregisterFileType(IClassesRoot& root, const TShellNotifier& notifyShell);

// True when the user interface is to start; false after a setup switch was handled.
bool HandleSetupSwitch(const std::vector<std::wstring>& arguments, IClassesRoot& root,
                       const std::wstring& exePath, const TShellNotifier& notifyShell);

// Exit code of a start whose setup switch could not write the registry.
inline constexpr int kExitRegistryWriteFailed = 2;

struct TSetupSwitchOutcome {
  bool startUserInterface = true;
  int exitCode = 0;
};
// Runs handleSetupSwitch without letting anything escape: whatever it raises
// ends the start with kExitRegistryWriteFailed and no window, its message
// handed to report.
TSetupSwitchOutcome GuardSetupSwitch(const std::function<bool()>& handleSetupSwitch,
                                     const std::function<void(const std::string&)>& report) noexcept;

#ifdef _WIN32
// The same over the real registry, the running executable and its command line.
bool HandleSetupSwitch();
void RegisterFileType();
void UnregisterFileType();

// For the program's entry code: never raises. A failed registry write gives
// kExitRegistryWriteFailed, its message on standard error and in the log.
TSetupSwitchOutcome RunSetupSwitch() noexcept;
#endif
