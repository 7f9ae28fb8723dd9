// bookzip's command table. A command is one file that defines its function
// and registers it with one line:
//   static const TCommandRegistration kRegistered{"name", "usage", &Run};
#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "ZipReader.h"

struct TBookzipArguments {
  std::string Book;
  std::vector<std::string> Names;  // positional arguments after BOOK
  std::string Password;
  std::optional<TIncompleteZipMode> Incomplete;
};

// Exit codes: 0 success, 1 the asked-for thing is not there or failed its
// check, 2 an error (its message on standard error).
using TCommandFunction = int (*)(TZipReader& reader, const TBookzipArguments& arguments, std::ostream& out,
                                 std::ostream& err);

struct TCommand {
  const char* Name;
  const char* Usage;
  TCommandFunction Run;
};

struct TCommandRegistration {
  TCommandRegistration(const char* name, const char* usage, TCommandFunction run);
};

const std::vector<TCommand>& RegisteredCommands();
