// bookzip list BOOK: one line per entry.
#include <cstdio>
#include <ostream>

#include "Commands.h"

namespace {

int Run(TZipReader& reader, const TBookzipArguments&, std::ostream& out, std::ostream&) {
  reader.ReadZipDirectory();
  for (int i = 0; i < reader.EntryCount(); ++i) {
    const TZipHeaderInfo& entry = reader.Entry(i);
    char fields[96];
    std::snprintf(fields, sizeof fields, "\t%u\t%llu\t%llu\t%08X\t%04X", entry.EffectiveCompressionMethod(),
                  static_cast<unsigned long long>(entry.EffectiveCompressedSize()),
                  static_cast<unsigned long long>(entry.EffectiveUncompressedSize()), entry.CRC32, entry.Flag);
    out << reader.EntryFullName(i) << fields << "\n";
  }
  return 0;
}

const TCommandRegistration kRegistered{"list", "list BOOK", &Run};

}  // namespace
