// A folder of its own under the system's temporary folder, removed with
// everything in it when the object goes.
#pragma once

#include <filesystem>
#include <string>

namespace testsupport {

class TScratchFolder {
public:
  TScratchFolder();
  ~TScratchFolder();
  TScratchFolder(const TScratchFolder&) = delete;
  TScratchFolder& operator=(const TScratchFolder&) = delete;

  // The full path of name inside the folder; Path("") is the folder itself
  // with a trailing separator.
  std::string Path(const std::string& name) const;
  // Writes the file (and any folders its name holds) and returns its path.
  std::string Write(const std::string& name, const std::string& bytes) const;

private:
  std::filesystem::path folder_;
};

}  // namespace testsupport
