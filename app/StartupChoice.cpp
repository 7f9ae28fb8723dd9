#include "StartupChoice.h"

#include "SharedRoutines.h"

std::optional<std::string> BookPathFromArguments(const std::vector<std::string>& arguments) {
  if (arguments.empty()) return std::nullopt;
  const std::string& first = arguments.front();
  if (UpperCase(first).find("-S") == std::string::npos) return std::nullopt;
  if (UpperCase(ExtractFileExt(first)) != ".VLQ") return std::nullopt;
  // Whatever stands in the first two places is dropped, switch or not.
  return first.substr(2);
}
