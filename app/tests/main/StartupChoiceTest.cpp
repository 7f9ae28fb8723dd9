#include <gtest/gtest.h>

#include "StartupChoice.h"

TEST(StartupChoice, FirstArgumentDecides) {
  struct Case {
    std::vector<std::string> args;
    std::optional<std::string> book;
  };
  const Case cases[] = {
      {{}, std::nullopt},
      {{"-sC:\\Books\\a.vlq"}, "C:\\Books\\a.vlq"},
      {{"-SC:\\Books\\a.VLQ"}, "C:\\Books\\a.VLQ"},
      {{"-sC:\\Books\\a.zip"}, std::nullopt},      // no ".zip" from the command line
      {{"C:\\Books\\a.vlq"}, std::nullopt},        // no switch
      {{"x-sC:\\b.vlq"}, "sC:\\b.vlq"},            // the switch may stand anywhere; two characters go
      {{"-s"}, std::nullopt},
      {{"-s.vlq"}, ".vlq"},
      {{"-sC:\\v.vlq\\book"}, std::nullopt},        // the extension is the file name's
      {{"C:\\Books\\a.vlq", "-sC:\\b.vlq"}, std::nullopt},  // only the first argument counts
      {{"-sC:\\b.vlq", "C:\\other.vlq"}, "C:\\b.vlq"},
      {{"-sC:\\My Books\\a b.vlq"}, "C:\\My Books\\a b.vlq"},
  };
  for (const Case& c : cases) {
    std::string shown = c.args.empty() ? "(none)" : c.args.front();
    EXPECT_EQ(BookPathFromArguments(c.args), c.book) << shown;
  }
}
