// Archives for the benchmarks: n small stored entries named
// "files/pages/page-NNNNNN.jpg", written once per size into a scratch folder
// that goes when the program ends.
#pragma once

#include <cstdio>
#include <map>
#include <string>

#include "ArchiveWriter.h"
#include "LittleEndianWriter.h"
#include "ScratchFolder.h"

namespace benchzip {

inline std::string EntryName(int i) {
  char name[64];
  std::snprintf(name, sizeof name, "files/pages/page-%06d.jpg", i);
  return name;
}

// A stored archive of n small entries, each with a 9-byte timestamp extra
// field in its central record, as common writers add one; past 65,535
// entries the counts go into a Zip64 end record.
inline testsupport::TArchiveLayout ManyEntries(int n) {
  using namespace testsupport;
  TArchiveLayout layout;
  TEntryLayout entry = StoredEntry("", "0123456789abcdef");
  entry.VersionNeeded = 10;
  entry.VersionMadeBy = 0x031E;
  entry.CentralExtra = ExtraBlock(0x5455, std::string("\x03", 1) + U32(0x5A8C6000));  // flags, Unix time
  for (int i = 0; i < n; ++i) {
    entry.Name = EntryName(i);
    layout.Entries.push_back(entry);
  }
  layout.Zip64End = n > 0xFFFF;
  layout.Zip64EndEscapesCountsOnly = true;  // the bare walk finds the directory from the end record
  return layout;
}

inline const std::string& ArchivePath(int n) {
  static const testsupport::TScratchFolder folder;
  static std::map<int, std::string> paths;
  auto& path = paths[n];
  if (path.empty()) {
    path = folder.Path("many-" + std::to_string(n) + ".zip");
    testsupport::WriteArchive(path, ManyEntries(n));
  }
  return path;
}

}  // namespace benchzip
