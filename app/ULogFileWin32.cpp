#include <windows.h>

#include <stdexcept>

#include "ULogFile.h"

namespace logfile {
namespace {

class FileHandle {
public:
  explicit FileHandle(HANDLE handle) : handle_(handle) {}
  ~FileHandle() {
    if (valid()) CloseHandle(handle_);
  }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
  HANDLE get() const { return handle_; }

private:
  HANDLE handle_;
};

bool EndsWithLineBreak(HANDLE file) {
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file, &size) || size.QuadPart == 0) return true;
  LARGE_INTEGER last{};
  last.QuadPart = -1;
  char c = 0;
  DWORD read = 0;
  if (!SetFilePointerEx(file, last, nullptr, FILE_END) || !ReadFile(file, &c, 1, &read, nullptr) || read != 1) {
    return true;
  }
  return c == '\n';
}

void WriteAll(HANDLE file, const std::string& bytes) {
  DWORD written = 0;
  if (!WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
      written != bytes.size()) {
    throw std::runtime_error("log write failed");
  }
}

}  // namespace

std::string ExecutableFolder() {
  char path[MAX_PATH + 1] = {};
  const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder(path, n);
  const size_t slash = folder.find_last_of("\\/:");
  return slash == std::string::npos ? std::string() : folder.substr(0, slash + 1);
}

bool FolderExists(const std::string& folder) {
  const DWORD attributes = GetFileAttributesA(folder.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void CreateFolders(const std::string& folder) {
  for (size_t i = 0; i <= folder.size(); ++i) {
    if (i == folder.size() || folder[i] == '\\' || folder[i] == '/') {
      const std::string prefix = folder.substr(0, i);
      if (prefix.empty() || prefix.back() == ':' || FolderExists(prefix)) continue;
      if (!CreateDirectoryA(prefix.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
        throw std::runtime_error("cannot create the log folder");
      }
    }
  }
}

void AppendLine(const std::string& path, const std::string& line) {
  FileHandle file(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) throw std::runtime_error("cannot open the log file");
  const bool startsLine = EndsWithLineBreak(file.get());
  LARGE_INTEGER zero{};
  if (!SetFilePointerEx(file.get(), zero, nullptr, FILE_END)) throw std::runtime_error("log seek failed");
  WriteAll(file.get(), startsLine ? line : "\r\n" + line);
}

std::optional<std::string> EnvironmentValue(const char* name) {
  char value[MAX_PATH * 4];
  const DWORD n = GetEnvironmentVariableA(name, value, sizeof value);
  if (n == 0 || n >= sizeof value) return std::nullopt;
  return std::string(value, n);
}

}  // namespace logfile
