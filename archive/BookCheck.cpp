#include "BookCheck.h"

#include "ZipReader.h"

std::string NormalizeBookEntryName(const std::string& name) {
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

int FindBookEntry(const TZipReader* reader, const std::string& name) {
  if (reader == nullptr) return 0;
  return reader->FindEntry(NormalizeBookEntryName(name)) + 1;
}

std::vector<std::string> TBookCheck::Missing() const {
  std::vector<std::string> missing;
  if (!HasMovie) missing.emplace_back("book.swf");
  if (!HasRunTimeFile) missing.emplace_back("files/book.bin or files/config.xml");
  return missing;
}

TBookCheck CheckBook(const TZipReader* reader) {
  TBookCheck check;
  check.HasMovie = FindBookEntry(reader, "book.swf") != 0;
  check.HasRunTimeFile =
      FindBookEntry(reader, "./files/book.bin") != 0 || FindBookEntry(reader, "./files/config.xml") != 0;
  return check;
}
