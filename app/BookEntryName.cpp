#include "BookEntryName.h"

std::string NormaliseBookEntryName(const std::string& name) {
  std::string result;
  result.reserve(name.size());
  for (std::size_t i = 0; i < name.size(); ++i) {
    if (name[i] == '.' && i + 1 < name.size() && name[i + 1] == '/') {
      ++i;
      continue;
    }
    result += name[i] == '/' ? '\\' : name[i];
  }
  return result;
}
