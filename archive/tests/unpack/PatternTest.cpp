#include <gtest/gtest.h>

#include "UnpackPattern.h"
#include "ZipReader.h"

TEST(MatchWildcard, Cases) {
  struct Case {
    const char* pattern;
    const char* name;
    bool matches;
  } cases[] = {
      {"*", "", true},
      {"*", "files\\pages\\001.jpg", true},
      {"files\\book.bin", "files\\book.bin", true},
      {"files\\book.bin", "files\\book.bin2", false},
      {"files\\book.bin", "xfiles\\book.bin", false},
      {"files\\*", "files\\pages\\001.jpg", true},  // "*" crosses "\"
      {"files\\*", "files\\", true},
      {"files\\*", "file", false},
      {"*.jpg", "a\\b.jpg", true},
      {"*.jpg", "a\\b.jpeg", false},
      {"page?.jpg", "page1.jpg", true},
      {"page?.jpg", "page.jpg", false},
      {"*a*a*a*a*a*b", "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa", false},
      {"<abc>.txt", "b.txt", true},
      {"<abc>.txt", "d.txt", false},
      {"<a-c>.txt", "c.txt", true},
      {"<!a-c>.txt", "c.txt", false},
      {"<^a-c>.txt", "d.txt", true},
      {"p*<0-9>.jpg", "p0042.jpg", true},  // a run of digits only
      {"p*<0-9>.jpg", "p00x2.jpg", false},
      {"p*<0-9>.jpg", "p.jpg", true},  // the run may be empty
      {"<a-c.txt", "a.txt", false},    // unclosed set
      {"<>.txt", ".txt", false},       // empty set
      {"<a->.txt", "a.txt", false},    // range without an upper end
  };
  for (const auto& c : cases) EXPECT_EQ(MatchWildcard(c.pattern, c.name), c.matches) << c.pattern << " ~ " << c.name;
}

TEST(MatchPattern, IgnoresLetterCase) {
  TZipReader reader;
  EXPECT_TRUE(reader.MatchPattern("BOOK.SWF", "book.swf"));
  EXPECT_TRUE(reader.MatchPattern("Files\\*.XML", "files\\config.xml"));
  EXPECT_FALSE(reader.MatchPattern("book.swf", "book.sw"));
}
