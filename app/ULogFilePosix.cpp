#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "ULogFile.h"

namespace logfile {

std::string ExecutableFolder() {
  std::error_code error;
  const auto exe = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return {};
  return exe.parent_path().string() + "/";
}

bool FolderExists(const std::string& folder) {
  std::error_code error;
  return std::filesystem::is_directory(folder, error);
}

void CreateFolders(const std::string& folder) { std::filesystem::create_directories(folder); }

void AppendLine(const std::string& path, const std::string& line) {
  bool startsLine = true;
  {
    std::ifstream existing(path, std::ios::binary | std::ios::ate);
    if (existing && existing.tellg() > 0) {
      existing.seekg(-1, std::ios::end);
      startsLine = existing.get() == '\n';
    }
  }
  std::ofstream out(path, std::ios::binary | std::ios::app);
  if (!out) throw std::runtime_error("cannot open the log file");
  if (!startsLine) out << "\r\n";
  out << line;
  out.flush();
  if (!out) throw std::runtime_error("log write failed");
}

std::optional<std::string> EnvironmentValue(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr) return std::nullopt;
  return std::string(value);
}

}  // namespace logfile
