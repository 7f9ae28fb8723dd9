#include "SharedRoutines.h"

#include <algorithm>

#include "PathText.h"

namespace {

bool IsPathDelimiter(char c) { return c == '\\' || c == '/' || c == ':'; }

std::size_t FileNameStart(const std::string& path) {
  for (std::size_t i = path.size(); i > 0; --i)
    if (IsPathDelimiter(path[i - 1])) return i;
  return 0;
}

}  // namespace

std::string AddTrailingBackslash(const std::string& path) {
  if (path.empty() || path.back() == '\\') return path;
  return path + '\\';
}

std::string ExtractFileName(const std::string& path) { return path.substr(FileNameStart(path)); }

std::string ExtractFilePath(const std::string& path) { return FolderPart(path); }

std::string ExtractFileExt(const std::string& path) {
  std::string name = ExtractFileName(path);
  std::size_t dot = name.rfind('.');
  return dot == std::string::npos ? std::string() : name.substr(dot);
}

std::string FileNameWithoutExt(const std::string& path) {
  std::string name = ExtractFileName(path);
  std::size_t dot = name.rfind('.');
  return dot == std::string::npos ? name : name.substr(0, dot);
}

std::string UpperCase(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; });
  return text;
}

std::string_view TrimBlanks(std::string_view text) {
  constexpr std::string_view kBlanks = " \t\r\n";
  const std::size_t first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}
