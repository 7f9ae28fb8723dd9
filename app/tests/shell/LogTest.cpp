#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "ULog.h"
#include "ULogFile.h"

namespace fs = std::filesystem;

namespace {

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

class LogTest : public ::testing::Test {
protected:
  void SetUp() override {
    folder_ = fs::absolute("shell-log-test");
    fs::remove_all(folder_);
  }
  void TearDown() override {
    TLog4DP::SetLogEnabled(false);
    TLog4DP::SetLogFileName("");
    fs::remove_all(folder_);
  }
  fs::path folder_;
};

TEST_F(LogTest, OffByDefaultAndOffWritesNothing) {
  if (std::getenv(TLog4DP::kSwitchVariable) == nullptr) {
    EXPECT_FALSE(TLog4DP::LogEnabled());
    EXPECT_EQ(TLog4DP::LogFileName(), "");
  }
  TLog4DP::SetLogEnabled(false);
  TLog4DP::SetLogFileName((folder_ / "sub" / "trace.txt").string());
  for (int i = 0; i < 500; ++i) TLog4DP::Log("line " + std::to_string(i));
  EXPECT_FALSE(fs::exists(folder_));
}

TEST_F(LogTest, OnWritesStampedLinesInCallOrderCreatingFolders) {
  const fs::path file = folder_ / "deep" / "er" / "trace.txt";
  TLog4DP::SetLogFileName(file.string());
  TLog4DP::SetLogEnabled(true);
  TLog4DP::Log("first");
  TLog4DP::Log("second: [with] odd \"chars\"");
  TLog4DP::Log("third");

  const std::string text = ReadAll(file);
  const std::regex expected(
      "(\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d): first\r\n"
      "\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d: second: \\[with\\] odd \"chars\"\r\n"
      "\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d: third\r\n");
  EXPECT_TRUE(std::regex_match(text, expected)) << text;
}

TEST_F(LogTest, KeepsEarlierContentAndStartsOnItsOwnLine) {
  fs::create_directories(folder_);
  const fs::path file = folder_ / "trace.txt";
  std::ofstream(file, std::ios::binary) << "older text without line end";
  TLog4DP::SetLogFileName(file.string());
  TLog4DP::SetLogEnabled(true);
  TLog4DP::Log("newer");
  const std::string text = ReadAll(file);
  EXPECT_EQ(text.rfind("older text without line end\r\n", 0), 0u) << text;
  EXPECT_NE(text.find(": newer\r\n"), std::string::npos) << text;
}

TEST_F(LogTest, BareNameLandsBesideTheExecutableForGood) {
  const std::string name = "shell-log-test-bare.txt";
  const fs::path expected = fs::path(logfile::ExecutableFolder()) / name;
  fs::remove(expected);
  TLog4DP::SetLogFileName(name);
  TLog4DP::SetLogEnabled(true);
  TLog4DP::Log("beside");
  EXPECT_EQ(TLog4DP::LogFileName(), logfile::ExecutableFolder() + name);
  const std::string text = ReadAll(expected);
  fs::remove(expected);
  EXPECT_NE(text.find(": beside\r\n"), std::string::npos) << text;
}

// A line that cannot be written is dropped, and the lines after it are not:
// the log neither holds on to it nor stops working.
TEST_F(LogTest, AnUnwritableLineIsDroppedAndTheLogGoesOn) {
  TLog4DP::SetLogEnabled(true);
  TLog4DP::SetLogFileName("");
  TLog4DP::Log("nowhere");
  fs::create_directories(folder_ / "a-folder.txt");
  TLog4DP::SetLogFileName((folder_ / "a-folder.txt").string());  // a folder cannot be opened as a file
  TLog4DP::Log("lost");
  EXPECT_TRUE(fs::is_empty(folder_ / "a-folder.txt"));

  const fs::path file = folder_ / "after.log";
  TLog4DP::SetLogFileName(file.string());
  TLog4DP::Log("after");
  const std::string text = ReadAll(file);
  EXPECT_NE(text.find(": after\r\n"), std::string::npos) << text;
  EXPECT_EQ(text.find("nowhere"), std::string::npos) << text;
  EXPECT_EQ(text.find("lost"), std::string::npos) << text;
}

}  // namespace
