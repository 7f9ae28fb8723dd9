// Archives made at test time by zip and 7z: every entry must come out byte for
// byte as the original file and as the tool's own extraction gives it.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>

#include "UnpackTestSupport.h"

using namespace unpacktest;

namespace {

const char* const kPassword = "Se cret-7";

struct TArchiveCase {
  const char* name;       // archive file made in the scratch folder
  const char* make;       // shell command that makes it
  const char* password;   // for extraction, or ""
  const char* reference;  // extracts one entry to stdout; %A archive, %E entry ("" when the tool cannot)
};

const TArchiveCase kCases[] = {
    {"stored.zip", "zip -q -0 -r stored.zip book.swf files empty.txt big.bin", "", "unzip -p %A %E"},
    {"fast.zip", "zip -q -1 -r fast.zip book.swf files empty.txt big.bin", "", "unzip -p %A %E"},
    {"default.zip", "zip -q -6 -r default.zip book.swf files empty.txt big.bin", "", "unzip -p %A %E"},
    {"best.zip", "zip -q -9 -r best.zip book.swf files empty.txt big.bin", "", "unzip -p %A %E"},
    // Written to a pipe, so every entry has a data descriptor.
    {"streamed.zip", "zip -q -r - book.swf files empty.txt big.bin | cat > streamed.zip", "", "unzip -p %A %E"},
    {"zip64.zip", "zip -q -fz -r zip64.zip book.swf files empty.txt big.bin", "", "unzip -p %A %E"},
    {"traditional.zip", "zip -q -P 'Se cret-7' -r traditional.zip book.swf files empty.txt big.bin", kPassword,
     "unzip -p -P 'Se cret-7' %A %E"},
    // Encrypted and streamed: the key check compares against the time, not the CRC.
    {"traditional-streamed.zip",
     "zip -q -P 'Se cret-7' -r - book.swf files empty.txt big.bin | cat > traditional-streamed.zip", kPassword,
     "unzip -p -P 'Se cret-7' %A %E"},
    {"aes128.zip", "7z a -tzip -mem=AES128 '-pSe cret-7' aes128.zip book.swf files empty.txt big.bin", kPassword,
     "7z e -so '-pSe cret-7' %A %E"},
    {"aes256.zip", "7z a -tzip -mem=AES256 '-pSe cret-7' aes256.zip book.swf files empty.txt big.bin", kPassword,
     "7z e -so '-pSe cret-7' %A %E"},
    {"aes256-stored.zip",
     "7z a -tzip -mx=0 -mem=AES256 '-pSe cret-7' aes256-stored.zip book.swf files empty.txt big.bin", kPassword,
     "7z e -so '-pSe cret-7' %A %E"},
    // A split set: split.z01, split.z02, ... and split.zip.
    {"split.zip", "zip -q -s 128k -r split.zip book.swf files empty.txt big.bin", "", ""},
};

// Entry paths inside the archives (as the tools store them) and their originals.
std::map<std::string, Bytes>& Originals() {
  static std::map<std::string, Bytes> files;
  return files;
}

class RealToolArchives : public ::testing::TestWithParam<TArchiveCase> {
protected:
  static void SetUpTestSuite() {
    if (!ToolAvailable("zip") || !ToolAvailable("unzip") || !ToolAvailable("7z")) return;
    scratch_ = new TScratchFolder;
    std::mt19937 rng(5);
    Bytes picture(60000, '\0');
    for (auto& c : picture) c = static_cast<char>(rng());
    Originals() = {
        {"book.swf", "FWS" + SampleData(100000, 1)},
        {"files/config.xml", "<book title=\"Sample\"><page src=\"files/pages/001.jpg\"/></book>\r\n"},
        {"files/pages/001.jpg", picture},
        {"empty.txt", ""},
        {"big.bin", SampleData(1500000, 2)},
    };
    for (const auto& [name, data] : Originals()) scratch_->Write(name, data);
    for (const auto& c : kCases) made_[c.name] = RunTool(scratch_->Path(""), c.make) == 0;
  }
  static void TearDownTestSuite() {
    delete scratch_;
    scratch_ = nullptr;
  }
  static TScratchFolder* scratch_;
  static std::map<std::string, bool> made_;
};

TScratchFolder* RealToolArchives::scratch_ = nullptr;
std::map<std::string, bool> RealToolArchives::made_;

std::string Backslashed(std::string path) {
  for (auto& c : path)
    if (c == '/') c = '\\';
  return path;
}

std::string Substitute(std::string text, const std::string& archive, const std::string& entry) {
  text.replace(text.find("%A"), 2, archive);
  text.replace(text.find("%E"), 2, entry);
  return text;
}

}  // namespace

TEST_P(RealToolArchives, EveryEntryComesOutAsTheOriginal) {
  if (!scratch_) GTEST_SKIP() << "zip, unzip and 7z are needed";
  const TArchiveCase& c = GetParam();
  ASSERT_TRUE(made_[c.name]) << c.make;
  for (const auto& [name, original] : Originals()) {
    SCOPED_TRACE(name);
    const TExtraction got = Extract(scratch_->Path(c.name), Backslashed(name), c.password);
    EXPECT_EQ(got.Result, 1);
    EXPECT_TRUE(got.Data == original) << "extracted " << got.Data.size() << " bytes, original " << original.size();
    if (*c.reference) {
      const Bytes reference = Output(scratch_->Path(""), Substitute(c.reference, c.name, name));
      EXPECT_TRUE(got.Data == reference) << "the tool gives " << reference.size() << " bytes";
    }
  }
}

// A sorted view of a split set is walked in physical order while extracting
// (so parts are not swapped back and forth) and is sorted again afterwards.
TEST_F(RealToolArchives, ASortedSplitSetExtractsEverythingAndStaysSorted) {
  if (!scratch_) GTEST_SKIP() << "zip, unzip and 7z are needed";
  ASSERT_TRUE(made_["split.zip"]);
  TZipReader reader;
  reader.SetSortMode(TZipSortMode::ByName);
  reader.SetZipName(scratch_->Path("split.zip"));
  reader.ReadZipDirectory();
  std::vector<std::string> before;
  for (int i = 0; i < reader.EntryCount(); ++i) before.push_back(reader.EntryFullName(i));
  ASSERT_TRUE(std::is_sorted(before.begin(), before.end()));
  std::vector<std::string> extracted;
  reader.OnStartUnZip = [&](TZipReader* sender, int index, std::string&, bool&) {
    extracted.push_back(sender->EntryFullName(index));
  };
  TMemoryStream stream;
  EXPECT_EQ(reader.UnpackToStream(&stream, "*"), static_cast<int>(Originals().size()));
  EXPECT_EQ(extracted.front(), "book.swf");  // the first entry zip wrote, not the first by name
  std::vector<std::string> after;
  for (int i = 0; i < reader.EntryCount(); ++i) after.push_back(reader.EntryFullName(i));
  EXPECT_EQ(after, before);
}

INSTANTIATE_TEST_SUITE_P(Tools, RealToolArchives, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<TArchiveCase>& info) {
                           std::string name = info.param.name;
                           name = name.substr(0, name.find('.'));
                           for (auto& ch : name)
                             if (!isalnum(static_cast<unsigned char>(ch))) ch = '_';
                           return name;
                         });
