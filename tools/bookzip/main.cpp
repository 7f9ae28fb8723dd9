// bookzip: command-line tool over the archive reader.
#include <algorithm>
#include <cstring>
#include <iostream>

#include "Commands.h"
#include "HugePages.h"

namespace {

std::vector<TCommand>& Table() {
  static std::vector<TCommand> commands;
  return commands;
}

void PrintUsage(std::ostream& err) {
  err << "usage: bookzip COMMAND BOOK [NAME] [--password P] [--incomplete multi|bad|notzip]\n";
  std::vector<TCommand> commands = Table();
  std::sort(commands.begin(), commands.end(),
            [](const TCommand& a, const TCommand& b) { return std::strcmp(a.Name, b.Name) < 0; });
  for (const TCommand& command : commands) err << "  bookzip " << command.Usage << "\n";
}

bool ParseIncomplete(const std::string& text, TIncompleteZipMode& mode) {
  if (text == "multi") mode = TIncompleteZipMode::izAssumeMulti;
  else if (text == "bad") mode = TIncompleteZipMode::izAssumeBad;
  else if (text == "notzip") mode = TIncompleteZipMode::izAssumeNotAZip;
  else return false;
  return true;
}

}  // namespace

TCommandRegistration::TCommandRegistration(const char* name, const char* usage, TCommandFunction run) {
  Table().push_back(TCommand{name, usage, run});
}

const std::vector<TCommand>& RegisteredCommands() { return Table(); }

int main(int argc, char** argv) {
  PreferHugePages(argv);
  if (argc < 3) {
    PrintUsage(std::cerr);
    return 2;
  }
  const std::string name = argv[1];
  const auto& commands = RegisteredCommands();
  const auto command = std::find_if(commands.begin(), commands.end(),
                                    [&name](const TCommand& c) { return name == c.Name; });
  if (command == commands.end()) {
    std::cerr << "bookzip: unknown command \"" << name << "\"\n";
    PrintUsage(std::cerr);
    return 2;
  }

  TBookzipArguments arguments;
  arguments.Book = argv[2];
  for (int i = 3; i < argc; ++i) {
    const std::string argument = argv[i];
    if ((argument == "--password" || argument == "--incomplete") && i + 1 < argc) {
      const std::string value = argv[++i];
      if (argument == "--password") {
        arguments.Password = value;
      } else {
        TIncompleteZipMode mode;
        if (!ParseIncomplete(value, mode)) {
          std::cerr << "bookzip: --incomplete takes multi, bad or notzip\n";
          return 2;
        }
        arguments.Incomplete = mode;
      }
    } else if (argument.rfind("--", 0) == 0) {
      std::cerr << "bookzip: unknown option " << argument << "\n";
      return 2;
    } else {
      arguments.Names.push_back(argument);
    }
  }

  try {
    TZipReader reader;
    reader.SetDoProcessMessages(false);
    if (arguments.Incomplete) reader.SetIncompleteZipMode(*arguments.Incomplete);
    reader.SetPassword(arguments.Password);
    reader.SetZipName(arguments.Book);
    return command->Run(reader, arguments, std::cout, std::cerr);
  } catch (const std::exception& error) {
    std::cerr << error.what() << "\n";
    return 2;
  }
}
