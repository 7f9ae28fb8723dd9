#include <gtest/gtest.h>

#include "SharedRoutines.h"
#include "ui/Types.h"

TEST(SharedRoutines, AddTrailingBackslash) {
  EXPECT_EQ(AddTrailingBackslash(""), "");
  EXPECT_EQ(AddTrailingBackslash("C:\\Data"), "C:\\Data\\");
  EXPECT_EQ(AddTrailingBackslash("C:\\Data\\"), "C:\\Data\\");
  EXPECT_EQ(AddTrailingBackslash("C:"), "C:\\");
}

TEST(SharedRoutines, FileNameParts) {
  struct Case {
    const char* path;
    const char* name;
    const char* ext;
    const char* withoutExt;
  };
  const Case cases[] = {
      {"C:\\Program Files\\Vell\\reader.exe", "reader.exe", ".exe", "reader"},
      {"C:\\Books\\my.book.vlq", "my.book.vlq", ".vlq", "my.book"},
      {"C:\\dir.d\\noext", "noext", "", "noext"},  // a dot in the folder is not an extension
      {"C:book.vlq", "book.vlq", ".vlq", "book"},
      {"plain", "plain", "", "plain"},
      {"C:\\Books\\", "", "", ""},
      {".hidden", ".hidden", ".hidden", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(ExtractFileName(c.path), c.name);
    EXPECT_EQ(ExtractFileExt(c.path), c.ext);
    EXPECT_EQ(FileNameWithoutExt(c.path), c.withoutExt);
  }
  EXPECT_EQ(ExtractFilePath("C:\\Books\\a.vlq"), "C:\\Books\\");
  EXPECT_EQ(ExtractFilePath("a.vlq"), "");
}

TEST(StartupPanelCentring, TruncatesTowardZeroAndGoesNegative) {
  EXPECT_EQ(ui::CentredOffset(800, 547), 126);
  EXPECT_EQ(ui::CentredOffset(547, 547), 0);
  EXPECT_EQ(ui::CentredOffset(546, 547), 0);   // -1 div 2 is 0, not -1
  EXPECT_EQ(ui::CentredOffset(544, 547), -1);  // -3 div 2 is -1
  EXPECT_EQ(ui::CentredOffset(0, 434), -217);
}
