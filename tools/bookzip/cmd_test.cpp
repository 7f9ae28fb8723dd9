// bookzip test BOOK: extracts every entry and says how each one fared.
#include <exception>
#include <ostream>

#include "ChecksumStream.h"
#include "Commands.h"
#include "UnpackReport.h"

namespace {

int Run(TZipReader& reader, const TBookzipArguments&, std::ostream& out, std::ostream& err) {
  reader.ReadZipDirectory();
  if (reader.EntryCount() == 0) {
    // Brings out why there are no entries ("Incomplete Zip File"), if there is a reason.
    TMemoryStream stream;
    reader.UnpackToStream(&stream, "*");
    out << "0 entries\n";
    return 0;
  }
  TUnpackReport report;
  report.Watch(reader, err);
  // One pass in directory order, each entry chosen by its index, into a
  // stream that keeps only a count and a checksum: neither names that are
  // patterns nor entries larger than memory get in the way.
  reader.SetKeepZipOpen(true);
  TChecksumStream sink;
  int tested = 0, failed = 0;
  for (int i = 0; i < reader.EntryCount(); ++i) {
    if (reader.EntryFileName(i).empty()) continue;  // a folder
    report.Problem.clear();
    sink.Clear();
    std::string verdict;
    try {
      if (reader.UnpackEntryToStream(&sink, i) != 1)
        verdict = report.Problem.empty() ? "failed" : report.Problem;
    } catch (const std::exception& error) {
      verdict = error.what();
    }
    ++tested;
    if (verdict.empty()) {
      out << "OK      " << reader.EntryFullName(i) << "\n";
    } else {
      ++failed;
      out << "FAILED  " << reader.EntryFullName(i) << ": " << verdict << "\n";
    }
  }
  reader.SetKeepZipOpen(false);
  out << tested << " entries, " << failed << " failed\n";
  return failed ? 1 : 0;
}

const TCommandRegistration kRegistered{"test", "test BOOK [--password P]", &Run};

}  // namespace
