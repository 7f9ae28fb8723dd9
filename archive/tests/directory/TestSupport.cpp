#include "TestSupport.h"

#include "ZipReader.h"

#ifndef VELL_DIR_FIXTURES
#error "VELL_DIR_FIXTURES must name the folder of make_fixtures.py's output"
#endif

namespace testsupport {

std::string FixturePath(const std::string& relative) { return std::string(VELL_DIR_FIXTURES) + "/" + relative; }

std::vector<std::string> Names(const TZipReader& reader) {
  std::vector<std::string> names;
  for (int i = 0; i < reader.EntryCount(); ++i) names.push_back(reader.EntryFullName(i));
  return names;
}

}  // namespace testsupport
