// The remembered pages on disk and a book's identity, through the real file system.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "ResumeFile.h"
#include "TestBooks.h"
#include "WideText.h"
#include "Win32Handles.h"

namespace {

const TBookIdentity kBook{"C:\\Books\\a.vlq", 10, 20};

// Through the wide call: the test's own helper goes through the code page.
void WriteWide(const std::string& path, const std::string& bytes) {
  const TFileHandle file(CreateFileW(TextToWide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  ASSERT_NE(file.get(), INVALID_HANDLE_VALUE) << path;
  DWORD written = 0;
  WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

int FilesIn(const std::string& folder) {
  WIN32_FIND_DATAA found{};
  HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return 0;
  int count = 0;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) ++count;
  } while (FindNextFileA(search, &found));
  FindClose(search);
  return count;
}

TEST(ResumeFile, LivesBesideTheRecentList) {
  EXPECT_EQ(ResumeFileBeside("C:\\ProgramData\\Recents\\open.ini"), "C:\\ProgramData\\Recents\\resume.txt");
}

TEST(ResumeFile, WhatCannotBeReadRemembersNothingAndTheRestIsKept) {
  const testsupport::TScratchFolder scratch;
  const std::string folder = scratch.Path("");
  CreateDirectoryA((folder + "a folder.txt").c_str(), nullptr);
  testsupport::WriteFile(folder + "damaged.txt", "7\t10\t20\tC:\\Books\\a.vlq\r\n\xff\xfe garbage\r\n3\tx\t1\tC:\\b.vlq\r\n");
  struct Case {
    const char* what;
    std::string file;
    std::size_t count;
  } cases[] = {
      {"missing file", folder + "missing.txt", 0},
      {"a folder of that name", folder + "a folder.txt", 0},
      {"missing folder", folder + "nowhere\\resume.txt", 0},
      {"damaged lines", folder + "damaged.txt", 1},
  };
  for (const Case& c : cases) EXPECT_EQ(ReadResumeFile(c.file).Count(), c.count) << c.what;
  EXPECT_EQ(ReadResumeFile(folder + "damaged.txt").PageOf(kBook), 7);
}

TEST(ResumeFile, IsReplacedWholeAndLeavesNoTemporaryBehind) {
  const testsupport::TScratchFolder scratch;
  const std::string folder = scratch.Path("");
  const std::string file = folder + "resume.txt";
  TResumePages pages;
  pages.Store(kBook, 7);
  ASSERT_TRUE(WriteResumeFile(file, pages));
  pages.Store({"C:\\Books\\b.vlq", 1, 2}, 3);
  ASSERT_TRUE(WriteResumeFile(file, pages));  // over the existing file
  const TResumePages read = ReadResumeFile(file);
  EXPECT_EQ(read.Serialize(), pages.Serialize());
  EXPECT_EQ(FilesIn(folder), 1);

  EXPECT_FALSE(WriteResumeFile(folder + "nowhere\\resume.txt", pages));
  EXPECT_EQ(FilesIn(folder), 1);
}

TEST(ResumeFile, ABookIsKnownByItsFullPathSizeAndTime) {
  const testsupport::TScratchFolder scratch;
  const std::string folder = scratch.Path("");
  const std::wstring greek = L"\x0395\x03BB\x03BB\x03B7\x03BD\x03B9\x03BA\x03AC.vlq";
  const std::string path = WideToText(TextToWide(folder) + greek);
  WriteWide(path, "12345");
  const std::optional<TBookIdentity> book = BookIdentityOf(path);
  ASSERT_TRUE(book);
  EXPECT_EQ(book->path, folder + "\xCE\x95\xCE\xBB\xCE\xBB\xCE\xB7\xCE\xBD\xCE\xB9\xCE\xBA\xCE\xAC.vlq");
  EXPECT_EQ(book->size, 5u);
  EXPECT_NE(book->modified, 0u);

  // Relative to the current folder: the same book, by its full path.
  char current[MAX_PATH] = {};
  GetCurrentDirectoryA(sizeof current, current);
  SetCurrentDirectoryA(folder.c_str());
  const std::optional<TBookIdentity> relative = BookIdentityOf(WideToText(greek));
  SetCurrentDirectoryA(current);
  ASSERT_TRUE(relative);
  EXPECT_EQ(relative->path, book->path);

  // Rewritten: another size, then the old size at another time.
  WriteWide(path, "123456");
  EXPECT_EQ(BookIdentityOf(path)->size, 6u);
  FILETIME later{};
  later.dwLowDateTime = static_cast<DWORD>(book->modified + 10'000'000);
  later.dwHighDateTime = static_cast<DWORD>((book->modified + 10'000'000) >> 32);
  {
    const TFileHandle file(
        CreateFileW(TextToWide(path).c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_NE(file.get(), INVALID_HANDLE_VALUE);
    SetFileTime(file.get(), nullptr, nullptr, &later);
  }
  EXPECT_EQ(BookIdentityOf(path)->modified, book->modified + 10'000'000);

  EXPECT_FALSE(BookIdentityOf(folder + "missing.vlq"));
  EXPECT_FALSE(BookIdentityOf(folder));
}

}  // namespace
