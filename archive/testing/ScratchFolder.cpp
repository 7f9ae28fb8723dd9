#include "ScratchFolder.h"

#include "FileBytes.h"

#ifdef _WIN32
#include <process.h>
#else
#include <unistd.h>
#endif

#include <atomic>
#include <chrono>
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
  // Process id and counter keep parallel test programs apart; the clock keeps
  // a folder left by a killed run with a recycled id from being reused.
  static std::atomic<unsigned> counter{0};
  const auto clock = std::chrono::steady_clock::now().time_since_epoch().count();
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string name = "vell-test-" + std::to_string(ProcessId()) + "-" + std::to_string(counter++) + "-" +
                             std::to_string(static_cast<unsigned long long>(clock) % 1000000007ull);
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
