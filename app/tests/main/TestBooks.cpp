#include "TestBooks.h"

#include "ArchiveWriter.h"

void WriteStoredZip(const std::string& path, const TZipEntries& entries) {
  testsupport::TArchiveLayout layout;
  for (const auto& [name, data] : entries) {
    layout.Entries.push_back(testsupport::StoredEntry(name, data));
    layout.Entries.back().DosDateTime = 0x00210000;  // 1980-01-01 00:00
  }
  testsupport::WriteFile(path, testsupport::BuildArchive(layout));
}
