// The reader's trace log: one time-stamped line per message.
//
// Off unless the environment variable VELL_READER_LOG names a log file when
// the program starts. A bare file name lands beside the executable.
#pragma once

#include <ctime>
#include <string>

class TLog4DP {
public:
  TLog4DP() = delete;

  // Appends "yyyy-mm-dd hh:mm:ss: message" to the log file. Never raises; a
  // line that cannot be written is lost.
  static void Log(const std::string& message) noexcept;

  static bool LogEnabled();
  static void SetLogEnabled(bool enabled);
  static std::string LogFileName();
  static void SetLogFileName(const std::string& fileName);

  static constexpr const char* kSwitchVariable = "VELL_READER_LOG";
};

// The time stamp of a log line, local time.
std::string FormatLogTimeStamp(const std::tm& localTime);
