#include "TestBooks.h"

#include <windows.h>

#include "ArchiveWriter.h"
#include "FileBytes.h"

void WriteFile(const std::string& path, const std::string& bytes) { testsupport::WriteFile(path, bytes); }

std::string ReadFileBytes(const std::string& path) { return testsupport::ReadFile(path); }

void WriteStoredZip(const std::string& path, const TZipEntries& entries) {
  testsupport::TArchiveLayout layout;
  for (const auto& [name, data] : entries) {
    layout.Entries.push_back(testsupport::StoredEntry(name, data));
    layout.Entries.back().DosDateTime = 0x00210000;  // 1980-01-01 00:00
  }
  testsupport::WriteFile(path, testsupport::BuildArchive(layout));
}

std::string MakeTempFolder(const std::string& tag) {
  char base[MAX_PATH + 1] = {};
  GetTempPathA(MAX_PATH, base);
  static int counter = 0;
  // Process ids come round again under Wine: a folder left by an earlier run
  // (with its recent list) is never reused.
  for (;;) {
    std::string folder = std::string(base) + "vell-" + tag + "-" + std::to_string(GetCurrentProcessId()) + "-" +
                         std::to_string(++counter) + "\\";
    if (CreateDirectoryA(folder.c_str(), nullptr) || GetLastError() != ERROR_ALREADY_EXISTS) return folder;
  }
}
