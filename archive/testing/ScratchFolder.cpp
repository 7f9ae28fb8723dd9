#include "ScratchFolder.h"

#include "FileBytes.h"

#ifdef _WIN32
#include <process.h>
#else
#include <unistd.h>
#endif

#include <atomic>
#include <stdexcept>
#include <system_error>

namespace testsupport {

namespace {

long long ProcessId() {
#ifdef _WIN32
  return _getpid();
#else
  return ::getpid();
#endif
}

}  // namespace

TScratchFolder::TScratchFolder() {
  // Process id and counter keep test programs running side by side apart; a
  // folder that a killed run left under the same name is passed over, never
  // reused, so no test starts with another's files.
  static std::atomic<unsigned> counter{0};
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string name = "vell-test-" + std::to_string(ProcessId()) + "-" + std::to_string(counter++);
    folder_ = std::filesystem::temp_directory_path() / name;
    if (std::filesystem::create_directory(folder_)) return;
  }
  throw std::runtime_error("no fresh scratch folder under " + std::filesystem::temp_directory_path().string());
}

TScratchFolder::~TScratchFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(folder_, ignored);
}

std::string TScratchFolder::Path(const std::string& name) const { return (folder_ / name).string(); }

std::string TScratchFolder::Write(const std::string& name, const std::string& bytes) const {
  const std::string path = Path(name);
  WriteFile(path, bytes);
  return path;
}

}  // namespace testsupport
