#include "player/loader/ImportedFunctions.h"

namespace vell::player {

namespace {
std::string WithoutDirectory(const std::string& path) {
  const auto cut = path.find_last_of("\\/:");
  return cut == std::string::npos ? path : path.substr(cut + 1);
}
}  // namespace

void TImportedFunctions::Add(const std::string& libraryName, const std::string& functionName, void** slot) {
  items_.push_back({WithoutDirectory(libraryName), functionName, slot});
}

}  // namespace vell::player
