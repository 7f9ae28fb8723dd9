// bookzip test BOOK: extracts every entry and says how each one fared.
#include <exception>
#include <optional>
#include <string>
#include <vector>
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
  // One pass in directory order, entries chosen by index, into a stream that
  // keeps only a count and a checksum: neither names that are patterns nor
  // entries larger than memory get in the way. An entry that raises ends
  // the pass; the next one starts another.
  const int count = reader.EntryCount();
  std::vector<std::optional<std::string>> verdicts(static_cast<std::size_t>(count));  // "" = OK
  int current = -1;
  reader.OnStartUnZip = [&](TZipReader*, int index, std::string&, bool&) {
    current = index;
    report.Problem.clear();
    verdicts[static_cast<std::size_t>(index)] = "failed";  // until it ends well or says why not
  };
  reader.OnEndUnZip = [&](TZipReader*, int index, const std::string&) { verdicts[static_cast<std::size_t>(index)] = ""; };
  auto noteProblem = [&] {
    if (current >= 0 && !report.Problem.empty() && verdicts[static_cast<std::size_t>(current)] != "")
      verdicts[static_cast<std::size_t>(current)] = report.Problem;
  };
  reader.OnBadCRC = [&, shown = reader.OnBadCRC](TZipReader* r, std::uint32_t calculated, std::uint32_t stored, int i) {
    shown(r, calculated, stored, i);
    noteProblem();
  };
  reader.OnSkippingFile = [&, shown = reader.OnSkippingFile](TZipReader* r, TSkipReason why, const std::string& name,
                                                             int i, bool& retry) {
    shown(r, why, name, i, retry);
    noteProblem();
  };
  TChecksumStream sink;
  for (int first = 0; first < count;) {
    current = -1;
    try {
      reader.UnpackEntriesToStream(&sink, first, count - first);
      break;
    } catch (const std::exception& error) {
      const int failed = current >= first ? current : first;
      verdicts[static_cast<std::size_t>(failed)] = error.what();
      first = failed + 1;
    }
  }
  int tested = 0, failed = 0;
  for (int i = 0; i < count; ++i) {
    if (reader.EntryFileName(i).empty()) continue;  // a folder
    ++tested;
    const auto& verdict = verdicts[static_cast<std::size_t>(i)];
    if (verdict && verdict->empty()) {
      out << "OK      " << reader.EntryFullName(i) << "\n";
    } else {
      ++failed;
      out << "FAILED  " << reader.EntryFullName(i) << ": " << (verdict ? *verdict : std::string("failed")) << "\n";
    }
  }
  out << tested << " entries, " << failed << " failed\n";
  return failed ? 1 : 0;
}

const TCommandRegistration kRegistered{"test", "test BOOK [--password P]", &Run};

}  // namespace
