// bookzip cat BOOK NAME: the entry's bytes on standard output.
#include <cstdio>
#include <ostream>

#include "Commands.h"
#include "UnpackReport.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace {

// Standard output carries the entry's bytes unchanged (no newline translation).
void UseBinaryStandardOutput() {
#ifdef _WIN32
  _setmode(_fileno(stdout), _O_BINARY);
#endif
}

int Run(TZipReader& reader, const TBookzipArguments& arguments, std::ostream& out, std::ostream& err) {
  if (arguments.Names.size() != 1) {
    err << "usage: bookzip cat BOOK NAME [--password P] [--incomplete multi|bad|notzip]\n";
    return 2;
  }
  const std::string& name = arguments.Names.front();
  TUnpackReport report;
  report.Watch(reader, err);
  TMemoryStream stream;
  const int extracted = reader.UnpackToStream(&stream, name);
  if (extracted == 0) {
    err << name << ": " << (report.Problem.empty() ? "no such entry" : report.Problem) << "\n";
    return 1;
  }
  UseBinaryStandardOutput();
  out.write(reinterpret_cast<const char*>(stream.Memory()), static_cast<std::streamsize>(stream.Size()));
  out.flush();
  return 0;
}

const TCommandRegistration kRegistered{"cat", "cat BOOK NAME [--password P]", &Run};

}  // namespace
