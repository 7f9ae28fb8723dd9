// The buffered stream and the reader's lists.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "BufferStream.h"
#include "ObjectList.h"
#include "Platform.h"
#include "ScratchFolder.h"
#include "Stream.h"

#ifdef _WIN32
#include <windows.h>

#include "WideText.h"
#endif

using testsupport::TScratchFolder;

namespace {

// A memory stream that counts the reads reaching it.
class TCountingStream : public TMemoryStream {
public:
  int Reads = 0;
  std::size_t Read(void* buffer, std::size_t count) override {
    ++Reads;
    return TMemoryStream::Read(buffer, count);
  }
};

TEST(BufferStream, SeekToCurrentPositionKeepsReadAhead) {
  TCountingStream under;
  under.Write("abcdef", 6);
  under.SetPosition(0);
  TS_BufferStream stream(&under, 4);
  char c = 0;
  ASSERT_EQ(stream.Read(&c, 1), 1u);
  EXPECT_EQ(c, 'a');
  EXPECT_EQ(stream.Seek(0, TSeekOrigin::soCurrent), 1);
  ASSERT_EQ(stream.Read(&c, 1), 1u);
  EXPECT_EQ(c, 'b');
  EXPECT_EQ(under.Reads, 1);
  // A real move drops the read-ahead.
  stream.Seek(5, TSeekOrigin::soBeginning);
  ASSERT_EQ(stream.Read(&c, 1), 1u);
  EXPECT_EQ(c, 'f');
}

TEST(BufferStream, SeekFromEndCountsBackWhateverTheSign) {
  TMemoryStream under;
  under.Write(std::string(100, 'x').data(), 100);
  TS_BufferStream stream(&under, 8);
  EXPECT_EQ(stream.Seek(10, TSeekOrigin::soEnd), 90);
  EXPECT_EQ(stream.Seek(-10, TSeekOrigin::soEnd), 90);
  EXPECT_THROW(
      {
        try {
          stream.Seek(0, static_cast<TSeekOrigin>(7));
        } catch (const EStreamError& e) {
          EXPECT_STREQ(e.what(), "Invalid seek origin (7)");
          throw;
        }
      },
      EStreamError);
}

TEST(BufferStream, ReadingPastTheEndIsShortAndLeavesStateUnknown) {
  TMemoryStream under;
  under.Write("hello", 5);
  under.SetPosition(0);
  TS_BufferStream stream(&under, 3);
  char buffer[10] = {};
  EXPECT_EQ(stream.Read(buffer, sizeof buffer), 5u);
  EXPECT_EQ(std::string(buffer, 5), "hello");
  EXPECT_EQ(stream.State(), TS_BufferStream::TState::Unknown);
  EXPECT_EQ(stream.Position(), 5);
}

TEST(BufferStream, WritesReachTheUnderlyingStreamAndCountInTheSize) {
  TMemoryStream under;
  {
    TS_BufferStream stream(&under, 4);
    stream.Write("0123456789", 10);
    EXPECT_EQ(stream.Size(), 10);  // two bytes still buffered
    EXPECT_EQ(under.Size(), 8);
    stream.Seek(2, TSeekOrigin::soBeginning);
    char c = 0;
    stream.Read(&c, 1);
    EXPECT_EQ(c, '2');
    stream.Write("X", 1);  // switches from reading to writing at the logical position
  }
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(under.Memory()), 10), "012X456789");
}

TEST(BufferStream, PutBackNeedsAByteBefore) {
  TMemoryStream under;
  under.Write("ab", 2);
  under.SetPosition(0);
  TS_BufferStream stream(&under, 8);
  EXPECT_THROW(stream.PutBack('z'), EStreamError);
  char c = 0;
  stream.Read(&c, 1);
  stream.PutBack('z');
  stream.Read(&c, 1);
  EXPECT_EQ(c, 'z');
}

struct TItem {
  int Key;
};

class TItemList : public TSortedObjectList<TItem> {
public:
  using TSortedObjectList<TItem>::TSortedObjectList;

protected:
  int Compare(const TItem* a, const TItem* b) const override { return a->Key - b->Key; }
};

// The file stream moves about without the system and remembers what opening
// the file told it; what it answers must still be the file's truth.
TEST(PlatformFileStream, PositionSizeAndTimeMatchTheFile) {
  const TScratchFolder folder;
  const std::filesystem::path path = folder.Write("stream.bin", "0123456789");
  IArchivePlatform& platform = DefaultArchivePlatform();
  auto ExpectTheTimeByName = [&](TPlatformFileStream& stream) {
    std::int64_t own = 0, byName = 0;
    ASSERT_TRUE(stream.ModificationTime(own));
    ASSERT_TRUE(platform.FileModificationTime(path.string(), byName));
    EXPECT_EQ(own, byName);
  };
  {
    auto stream = platform.OpenFile(path.string(), TFileAccess::Read, TFileShare::DenyNone);
    char bytes[4] = {};
    EXPECT_EQ(stream->Seek(4, TSeekOrigin::soBeginning), 4);
    EXPECT_EQ(stream->Read(bytes, 3), 3u);
    EXPECT_EQ(std::string(bytes, 3), "456");
    EXPECT_EQ(stream->Seek(-100, TSeekOrigin::soCurrent), 7);  // before the start: stays
    EXPECT_EQ(stream->Seek(-2, TSeekOrigin::soEnd), 8);
    EXPECT_EQ(stream->Read(bytes, 4), 2u);
    EXPECT_EQ(std::string(bytes, 2), "89");
    EXPECT_EQ(stream->Size(), 10);
    ExpectTheTimeByName(*stream);
  }
  {
    auto stream = platform.OpenFile(path.string(), TFileAccess::ReadWrite, TFileShare::DenyNone);
    stream->Seek(0, TSeekOrigin::soEnd);
    EXPECT_EQ(stream->Write("ab", 2), 2u);
    EXPECT_EQ(stream->Size(), 12);  // a writable file's size is asked afresh
    ExpectTheTimeByName(*stream);
  }
}

TEST(ObjectList, CapacityGrowsByTheHistoricalSteps) {
  TObjectList<TItem> list;
  std::vector<int> capacities{list.Capacity()};
  for (int i = 0; i < 30; ++i) {
    list.Add(new TItem{i});
    if (capacities.back() != list.Capacity()) capacities.push_back(list.Capacity());
    if (i == 8) {
      EXPECT_EQ(list.Capacity(), 16);
    }
  }
  EXPECT_EQ(capacities, (std::vector<int>{0, 4, 8, 16, 20, 24, 29, 34}));
}

TEST(ObjectList, IndexErrorsCarryTheIndex) {
  TObjectList<TItem> list;
  list.Add(new TItem{1});
  try {
    list.Get(3);
    FAIL();
  } catch (const EListError& e) {
    EXPECT_STREQ(e.what(), "List index out of bounds (3)");
  }
  EXPECT_THROW(list.Insert(2, nullptr), EListError);
  EXPECT_THROW(list.SetCapacity(0), EListError);  // below the count
}

TEST(SortedObjectList, DuplicatePolicies) {
  TItemList rejecting(TDuplicates::dupError);
  for (int key : {5, 1, 3}) rejecting.Add(new TItem{key});
  auto* duplicate = new TItem{3};
  try {
    rejecting.Add(duplicate);
    FAIL();
  } catch (const EListError& e) {
    EXPECT_STREQ(e.what(), "Duplicate Object index");
  }
  delete duplicate;
  ASSERT_EQ(rejecting.Count(), 3);
  EXPECT_EQ(rejecting[0]->Key, 1);
  EXPECT_EQ(rejecting[2]->Key, 5);
  EXPECT_EQ(rejecting.IndexOf(rejecting[1]), 1);
  try {
    rejecting.Set(0, nullptr);
    FAIL();
  } catch (const EListError& e) {
    EXPECT_STREQ(e.what(), "Cannot <Put> an Object in a sorted list!");
  }

  TItemList ignoring(TDuplicates::dupIgnore);
  ignoring.Add(new TItem{2});
  TItem extra{2};
  EXPECT_EQ(ignoring.Add(&extra), -1);
  EXPECT_EQ(ignoring.Count(), 1);

  // Accepted equal keys go before the equal items already listed.
  TItemList accepting(TDuplicates::dupAccept, false);
  TItem first{4}, second{4}, low{1};
  accepting.Add(&first);
  accepting.Add(&low);
  accepting.Add(&second);
  EXPECT_EQ(accepting[1], &second);
  EXPECT_EQ(accepting[2], &first);
}

#ifdef _WIN32
// A pipe has neither a position nor a size: the file stream must say so
// rather than hand back whatever its result variables held.
TEST(PlatformFileStream, AHandleWithoutPositionOrSizeSaysSo) {
  const std::string name = "\\\\.\\pipe\\vell-archive-stream-" + std::to_string(GetCurrentProcessId());
  HANDLE server = CreateNamedPipeA(name.c_str(), PIPE_ACCESS_DUPLEX, PIPE_TYPE_BYTE, 1, 4096, 4096, 0, nullptr);
  ASSERT_NE(server, INVALID_HANDLE_VALUE);
  {
    auto stream = DefaultArchivePlatform().OpenFile(name, TFileAccess::Read, TFileShare::DenyNone);
    EXPECT_EQ(stream->Seek(10, TSeekOrigin::soBeginning), -1);
    EXPECT_THROW(stream->Size(), EStreamError);
  }
  CloseHandle(server);
}

// Names outside the 8-bit code page come in as UTF-8; names inside it may
// still come in that code page. Both must reach the same file.
TEST(PlatformFileStream, OpensNamesGivenAsUtf8OrInTheCodePage) {
  wchar_t folder[MAX_PATH];
  ASSERT_GT(GetTempPathW(MAX_PATH, folder), 0u);
  const std::wstring stem = std::wstring(folder) + L"vell-" + std::to_wstring(GetCurrentProcessId()) + L"-";
  struct Case {
    const wchar_t* name;
    std::string given;
  } cases[] = {
      {L"\x0395\x03bb\x03bb\x03b7\x03bd\x03b9\x03ba\x03ac.vlq", "\xCE\x95\xCE\xBB\xCE\xBB\xCE\xB7\xCE\xBD\xCE\xB9\xCE\xBA\xCE\xAC.vlq"},
      {L"\x65e5\x672c\x8a9e.vlq", "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E.vlq"},
      {L"plain.vlq", "plain.vlq"},
  };
  for (const Case& c : cases) {
    const std::wstring wide = stem + c.name;
    HANDLE file = CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(file, "abc", 3, &written, nullptr);
    CloseHandle(file);
    // The temporary folder itself may hold any name: hand it over as UTF-8 too.
    const std::string path = WideToUtf8(stem) + c.given;
    EXPECT_TRUE(DefaultArchivePlatform().FileExists(path)) << c.given;
    std::int64_t time = 0;
    EXPECT_TRUE(DefaultArchivePlatform().FileModificationTime(path, time)) << c.given;
    {
      auto stream = DefaultArchivePlatform().OpenFile(path, TFileAccess::Read, TFileShare::DenyNone);
      EXPECT_EQ(stream->Size(), 3) << c.given;
    }
    DeleteFileW(wide.c_str());
  }
  // A code-page name that is not valid UTF-8 ("\xE9" is e-acute in Western
  // code pages) keeps its old meaning.
  const std::wstring accented = stem + L"caf\x00e9.vlq";
  HANDLE file = CreateFileW(accented.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  CloseHandle(file);
  if (GetACP() == 1252) {
    char ansiStem[MAX_PATH * 2];
    WideCharToMultiByte(CP_ACP, 0, stem.c_str(), -1, ansiStem, sizeof ansiStem, nullptr, nullptr);
    EXPECT_TRUE(DefaultArchivePlatform().FileExists(std::string(ansiStem) + "caf\xE9.vlq"));
  }
  DeleteFileW(accented.c_str());
}
#endif

}  // namespace
