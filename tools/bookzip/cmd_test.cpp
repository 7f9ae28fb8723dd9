// bookzip test BOOK: extracts every entry and says how each one fared.
#include <exception>
#include <ostream>

#include "Commands.h"
#include "UnpackReport.h"

namespace {

int Run(TZipReader& reader, const TBookzipArguments&, std::ostream& out, std::ostream& err) {
  reader.ReadZipDirectory();
  TMemoryStream stream;
  if (reader.EntryCount() == 0) {
    // Brings out why there are no entries ("Incomplete Zip File"), if there is a reason.
    reader.UnpackToStream(&stream, "*");
    out << "0 entries\n";
    return 0;
  }
  TUnpackReport report;
  report.Watch(reader, err);
  // Names are patterns to the reader, and two entries may differ only in
  // letter case: the entry wanted is picked by index, any other match skipped.
  int wanted = -1;
  reader.OnStartUnZip = [&wanted](TZipReader*, int index, std::string&, bool& skip) { skip = index != wanted; };
  int tested = 0, failed = 0;
  for (int i = 0; i < reader.EntryCount(); ++i) {
    const std::string name = reader.EntryFullName(i);
    if (reader.EntryFileName(i).empty()) continue;  // a folder
    wanted = i;
    report.Problem.clear();
    stream.Clear();
    std::string verdict;
    try {
      const bool plainName = name.find_first_of("*?<") == std::string::npos;
      if (reader.UnpackToStream(&stream, plainName ? name : "*") != 1)
        verdict = report.Problem.empty() ? "failed" : report.Problem;
    } catch (const std::exception& error) {
      verdict = error.what();
    }
    ++tested;
    if (verdict.empty()) {
      out << "OK      " << name << "\n";
    } else {
      ++failed;
      out << "FAILED  " << name << ": " << verdict << "\n";
    }
  }
  out << tested << " entries, " << failed << " failed\n";
  return failed ? 1 : 0;
}

const TCommandRegistration kRegistered{"test", "test BOOK [--password P]", &Run};

}  // namespace
