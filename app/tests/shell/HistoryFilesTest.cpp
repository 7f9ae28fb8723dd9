#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <memory>

#include "HistoryFiles.h"

namespace fs = std::filesystem;

namespace {

class RecordingHistory : public THistoryFiles {
public:
  using THistoryFiles::THistoryFiles;
  std::vector<std::string> errors;

protected:
  void ShowError(const std::string& message) override { errors.push_back(message); }
};

std::vector<std::string> Captions(const ui::TMenuItem& menu) {
  std::vector<std::string> captions;
  for (int i = 0; i < menu.Count(); ++i) captions.push_back(menu.Items(i)->Caption());
  return captions;
}

std::string IniValue(const std::string& file, const char* key) {
  char value[1024] = {};
  GetPrivateProfileStringA("History Files", key, "<none>", value, sizeof value, file.c_str());
  return value;
}

class HistoryFilesTest : public ::testing::Test {
protected:
  void SetUp() override {
    folder_ = fs::absolute("shell-history-test");
    fs::remove_all(folder_);
    fs::create_directories(folder_);
    ini_ = (folder_ / "open.ini").string();
    menu_ = std::make_unique<ui::TMenuItem>(nullptr);
    history_ = std::make_unique<RecordingHistory>(nullptr);
    history_->SetIniFile(ini_);
    history_->SetLocalPath("C:\\Recents\\");
    history_->SetMaxItems(8);
    history_->SetSeparator(TSeparatorStyle::sepBoth);
    history_->SetParentMenu(menu_.get());
  }
  void TearDown() override {
    history_.reset();
    menu_.reset();
    fs::remove_all(folder_);
  }

  fs::path folder_;
  std::string ini_;
  std::unique_ptr<ui::TMenuItem> menu_;
  std::unique_ptr<RecordingHistory> history_;
};

TEST_F(HistoryFilesTest, AddFileWritesTheIniAndNumbersTheMenuBetweenSeparators) {
  for (const char* book : {"C:\\A.vlq", "D:\\B.vlq", "C:\\A.vlq"}) history_->AddFile(book);
  EXPECT_EQ(IniValue(ini_, "1"), "C:\\A.vlq");
  EXPECT_EQ(IniValue(ini_, "2"), "D:\\B.vlq");
  EXPECT_EQ(IniValue(ini_, "8"), "");
  EXPECT_EQ(IniValue(ini_, "9"), "<none>");
  EXPECT_EQ(Captions(*menu_), (std::vector<std::string>{"-", "&1 C:\\A.vlq", "&2 D:\\B.vlq", "-"}));
  EXPECT_EQ(menu_->Items(2)->Tag, 2);
  EXPECT_TRUE(history_->errors.empty());
}

TEST_F(HistoryFilesTest, EmptyListLeavesTheMenuEmpty) {
  history_->UpdateMenu();
  EXPECT_EQ(menu_->Count(), 0);
}

TEST_F(HistoryFilesTest, ItemsStartAtPositionAndOnlyTheyAreRebuilt) {
  for (const char* caption : {"Before", "After"}) {
    auto* item = new ui::TMenuItem(nullptr);
    item->SetCaption(caption);
    menu_->Add(item);
  }
  history_->SetPosition(1);
  history_->AddFile("C:\\A.vlq");
  history_->AddFile("C:\\Recents\\Local.vlq");  // in the local folder: the name alone
  EXPECT_EQ(Captions(*menu_),
            (std::vector<std::string>{"Before", "-", "&1 Local.vlq", "&2 C:\\A.vlq", "-", "After"}));

  history_->SetPosition(7);
  EXPECT_EQ(history_->Position(), 1);
  EXPECT_EQ(history_->errors, std::vector<std::string>{"Position out of range"});
}

TEST_F(HistoryFilesTest, ClickRaisesTheItemsPathEvenAfterAGapInTheFile) {
  WritePrivateProfileStringA("History Files", "1", "C:\\First.vlq", ini_.c_str());
  WritePrivateProfileStringA("History Files", "3", "C:\\Third.vlq", ini_.c_str());
  history_->UpdateMenu();
  ASSERT_EQ(Captions(*menu_), (std::vector<std::string>{"-", "&1 C:\\First.vlq", "&3 C:\\Third.vlq", "-"}));
  std::vector<std::string> clicked;
  history_->OnClickHistoryItem = [&](ui::TObject* sender, ui::TMenuItem*, const std::string& path) {
    EXPECT_EQ(sender, history_.get());
    clicked.push_back(path);
    history_->AddFile(path);  // as opening the book does: the clicked item goes away
  };
  menu_->Items(2)->Click();
  EXPECT_EQ(clicked, std::vector<std::string>{"C:\\Third.vlq"});
  EXPECT_EQ(Captions(*menu_), (std::vector<std::string>{"-", "&1 C:\\Third.vlq", "&2 C:\\First.vlq", "-"}));
}

TEST_F(HistoryFilesTest, WithoutParentMenuItSaysSo) {
  history_->SetParentMenu(nullptr);
  history_->UpdateMenu();
  EXPECT_EQ(history_->errors, std::vector<std::string>{"ParentMenu not assigned"});
}

TEST_F(HistoryFilesTest, MovingToAnotherMenuTakesTheItemsAlongAndKeepsPositionInside) {
  auto* before = new ui::TMenuItem(nullptr);
  before->SetCaption("Before");
  menu_->Add(before);
  history_->SetPosition(1);
  history_->AddFile("C:\\A.vlq");
  ui::TMenuItem other(nullptr);
  history_->SetParentMenu(&other);
  EXPECT_EQ(Captions(*menu_), std::vector<std::string>{"Before"});
  EXPECT_EQ(history_->Position(), 0);  // the new menu has fewer items
  history_->UpdateMenu();
  EXPECT_EQ(Captions(other), (std::vector<std::string>{"-", "&1 C:\\A.vlq", "-"}));
}

TEST_F(HistoryFilesTest, FilesThatMustExistDropOutOfTheFile) {
  const std::string kept = (folder_ / "kept.vlq").string();
  { std::FILE* f = std::fopen(kept.c_str(), "wb"); std::fclose(f); }
  history_->SetFileMustExist(true);
  WritePrivateProfileStringA("History Files", "1", "C:\\nowhere\\gone.vlq", ini_.c_str());
  WritePrivateProfileStringA("History Files", "2", kept.c_str(), ini_.c_str());
  history_->UpdateMenu();
  EXPECT_EQ(history_->Files(), std::vector<std::string>{kept});
  EXPECT_EQ(IniValue(ini_, "1"), kept);
}

// Paths travel as text: the code page where it holds them, UTF-8 otherwise.
TEST_F(HistoryFilesTest, PathsOutsideTheCodePageSurviveAReloadAndOlderListsKeepTheirEntries) {
  const std::string greek = "C:\\\xCE\x95\xCE\xBB\xCE\xBB\xCE\xB7\xCE\xBD\xCE\xB9\xCE\xBA\xCE\xAC.vlq";
  const std::string accented = "C:\\caf\xE9.vlq";  // as an older version wrote it, in the Western code page
  auto startsWithMark = [&] {
    std::FILE* f = std::fopen(ini_.c_str(), "rb");
    unsigned char mark[2] = {};
    const bool read = f && std::fread(mark, 1, 2, f) == 2;
    if (f) std::fclose(f);
    return read && mark[0] == 0xFF && mark[1] == 0xFE;
  };
  {
    std::FILE* f = std::fopen(ini_.c_str(), "wb");
    std::fputs(("[History Files]\r\n1=" + accented + "\r\n").c_str(), f);
    std::fclose(f);
  }
  history_->AddFile("D:\\B.vlq");
  EXPECT_FALSE(startsWithMark()) << "a list the code page holds stays as it was written";
  EXPECT_EQ(history_->Files(), (std::vector<std::string>{"D:\\B.vlq", accented}));

  history_->AddFile(greek);
  EXPECT_TRUE(startsWithMark());
  RecordingHistory reloaded(nullptr);
  ui::TMenuItem menu(nullptr);
  reloaded.SetIniFile(ini_);
  reloaded.SetMaxItems(8);
  reloaded.SetParentMenu(&menu);
  reloaded.UpdateMenu();
  EXPECT_EQ(reloaded.Files(), (std::vector<std::string>{greek, "D:\\B.vlq", accented}));
  EXPECT_EQ(Captions(menu)[0], "&1 " + greek);

  fs::remove(ini_);
  history_->AddFile("E:\\C.vlq");
  EXPECT_TRUE(startsWithMark()) << "a new list can hold any path";
  EXPECT_EQ(IniValue(ini_, "1"), "E:\\C.vlq");
}

}  // namespace
