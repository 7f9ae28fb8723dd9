// bookzip check BOOK: the reader's own book check.
#include <ostream>

#include "BookCheck.h"
#include "Commands.h"

namespace {

int Run(TZipReader& reader, const TBookzipArguments& arguments, std::ostream& out, std::ostream&) {
  reader.ReadZipDirectory();
  const TBookCheck check = CheckBook(&reader);
  if (check.IsBook()) {
    out << arguments.Book << ": a book\n";
    return 0;
  }
  out << arguments.Book << ": not a book; missing:";
  for (const std::string& what : check.Missing()) out << " " << what << ";";
  out << "\n";
  return 1;
}

const TCommandRegistration kRegistered{"check", "check BOOK", &Run};

}  // namespace
