#include "ULog.h"

#include <cstdio>
#include <mutex>

#include "PathText.h"
#include "ULogFile.h"

namespace {

struct LogSettings {
  std::mutex lock;  // resource requests log from the player's threads too
  bool enabled = false;
  std::string fileName;

  LogSettings() {
    if (auto name = logfile::EnvironmentValue(TLog4DP::kSwitchVariable); name && !name->empty()) {
      fileName = *name;
      enabled = true;
    }
  }
};

LogSettings& Settings() {
  static LogSettings settings;
  return settings;
}

std::string CurrentTimeStamp() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
#ifdef _WIN32
  if (localtime_s(&local, &now) != 0) return {};
#else
  if (localtime_r(&now, &local) == nullptr) return {};
#endif
  return FormatLogTimeStamp(local);
}

}  // namespace

std::string FormatLogTimeStamp(const std::tm& t) {
  char text[32];
  const int n = std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", t.tm_year + 1900,
                              t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec);
  if (n != 19) return {};
  return text;
}

void TLog4DP::Log(const std::string& message) noexcept {
  try {
    LogSettings& settings = Settings();
    std::lock_guard guard(settings.lock);
    if (!settings.enabled || settings.fileName.empty()) return;

    std::string folder;
    if (FolderPart(settings.fileName).empty()) {
      settings.fileName = logfile::ExecutableFolder() + settings.fileName;
    }
    folder = FolderPart(settings.fileName);
    if (!folder.empty() && !logfile::FolderExists(folder)) logfile::CreateFolders(folder);

    // Appending instead of rewriting the whole file keeps earlier lines safe
    // when a write fails half-way and keeps each call's cost constant.
    logfile::AppendLine(settings.fileName, CurrentTimeStamp() + ": " + message + "\r\n");
  } catch (...) {
    // The log must never disturb the reader; the line is lost.
  }
}

bool TLog4DP::LogEnabled() {
  std::lock_guard guard(Settings().lock);
  return Settings().enabled;
}

void TLog4DP::SetLogEnabled(bool enabled) {
  std::lock_guard guard(Settings().lock);
  Settings().enabled = enabled;
}

std::string TLog4DP::LogFileName() {
  std::lock_guard guard(Settings().lock);
  return Settings().fileName;
}

void TLog4DP::SetLogFileName(const std::string& fileName) {
  std::lock_guard guard(Settings().lock);
  Settings().fileName = fileName;
}
