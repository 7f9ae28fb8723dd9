// Temporary: extraction is written separately; this keeps the library linkable.
#include "ZipReader.h"

int TZipReader::UnpackToStream(TStream*, const std::string&) {
  throw EZipReaderException("Extraction is not available yet");
}

int TZipReader::ExtractSelected() { return 0; }

bool TZipReader::MatchPattern(const std::string& pattern, const std::string& name) const {
  return platform_.AnsiSameText(pattern, name);
}

void TZipReader::SetDestDir(const std::string& dir) { destDir_ = dir; }

void TZipReader::SetRootDir(const std::string& dir) { rootDir_ = dir; }
