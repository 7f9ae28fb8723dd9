// The test support the other archive tests and the fuzz targets stand on:
// a fault here would let them pass over nothing or leave files behind.
#include <gtest/gtest.h>

#include <filesystem>

#include "TestSupport.h"
#include "ZipReader.h"

using namespace testsupport;

namespace {

TEST(ScratchFolder, EachIsItsOwnAndGoesWithEverythingInIt) {
  std::string first, nested;
  {
    const TScratchFolder a, b;
    first = a.Path("");
    EXPECT_NE(first, b.Path(""));
    EXPECT_EQ(first.rfind(std::filesystem::temp_directory_path().string(), 0), 0u) << first;
    nested = a.Write("deep/er/file.bin", "bytes");
    EXPECT_EQ(ReadFile(nested), "bytes");
  }
  EXPECT_FALSE(std::filesystem::exists(nested));
  EXPECT_FALSE(std::filesystem::exists(first));
}

// What the fuzz targets do: the archive only in memory, no other file.
TEST(MemoryPlatform, ServesItsFilesAndNoOthersWhenToldSo) {
  TMemoryPlatform platform;
  platform.SystemFiles = false;
  TArchiveLayout layout;
  layout.Entries = {StoredEntry("a.txt", "first"), DeflatedEntry("b.txt", std::string(5000, 'b'))};
  platform.PutFile("held.zip", BuildArchive(layout));

  TZipReader reader(platform);
  reader.SetZipName("held.zip");
  reader.ReadZipDirectory();
  ASSERT_EQ(Names(reader), (std::vector<std::string>{"a.txt", "b.txt"}));
  TMemoryStream out;
  EXPECT_EQ(reader.UnpackToStream(&out, "b.txt"), 1);
  EXPECT_EQ(out.Size(), 5000);

  // Put again, the file has changed: the reader loads the new directory.
  layout.Entries.push_back(StoredEntry("c.txt"));
  platform.PutFile("held.zip", BuildArchive(layout));
  reader.ReadZipDirectory();
  EXPECT_EQ(reader.EntryCount(), 3);

  EXPECT_FALSE(platform.FileExists(FixturePath("cut.zip")));  // there on disk, but not served
  TZipReader elsewhere(platform);
  elsewhere.SetZipName("other.zip");
  EXPECT_THROW(elsewhere.ReadZipDirectory(), EFOpenError);
}

}  // namespace
