#include "HistoryFiles.h"

#include <windows.h>

#include <algorithm>

#include "FileSystem.h"
#include "HistoryList.h"

namespace {

// One section of a private-profile INI file.
class TIniSection final : public IHistoryStore {
public:
  TIniSection(std::string file, std::string section) : file_(FullPath(file)), section_(std::move(section)) {}

  std::string Read(int key) override {
    char value[4096] = {};
    const DWORD n = GetPrivateProfileStringA(section_.c_str(), std::to_string(key).c_str(), "", value,
                                             sizeof value, file_.c_str());
    return std::string(value, n);
  }

  void Write(int key, const std::string& value) override {
    WritePrivateProfileStringA(section_.c_str(), std::to_string(key).c_str(), value.c_str(), file_.c_str());
  }

private:
  // The profile functions look for a bare file name in the Windows folder,
  // where the reader may not write; it is meant relative to the current folder.
  static std::string FullPath(const std::string& file) {
    if (file.empty() || !ExtractFileDir(file).empty()) return file;
    char full[MAX_PATH * 2] = {};
    const DWORD n = GetFullPathNameA(file.c_str(), sizeof full, full, nullptr);
    return n == 0 || n >= sizeof full ? file : std::string(full, n);
  }

  std::string file_;
  std::string section_;
};

}  // namespace

THistoryFiles::THistoryFiles(ui::TComponent* owner) : ui::TComponent(owner) {}

THistoryFiles::~THistoryFiles() = default;

void THistoryFiles::SetParentMenu(ui::TMenuItem* menu) {
  if (menu == parentMenu_) return;
  if (parentMenu_) ClearMenu(parentMenu_);
  parentMenu_ = menu;
  if (parentMenu_ && parentMenu_->Count() < position_) position_ = parentMenu_->Count();
}

void THistoryFiles::SetPosition(int position) {
  if (parentMenu_ && position > parentMenu_->Count()) {
    ShowError("Position out of range");
    return;
  }
  position_ = position;
}

void THistoryFiles::AddFile(const std::string& path) {
  TIniSection store(iniFile_, iniKey_);
  THistoryAddOptions options;
  options.maxItems = maxItems_;
  options.sorted = sorted_;
  options.localPath = localPath_;
  options.sameText = SameTextSystem;
  AddToHistory(store, path, options);
  UpdateMenu();
}

void THistoryFiles::UpdateMenu() {
  if (!parentMenu_) {
    ShowError("ParentMenu not assigned");
    return;
  }
  ClearMenu(parentMenu_);

  TIniSection store(iniFile_, iniKey_);
  const auto entries = ReadHistory(store, maxItems_, fileMustExist_ ? FileExists : std::function<bool(const std::string&)>());
  THistoryCaptionOptions caption;
  caption.showFullPath = showFullPath_;
  caption.showNumber = showNumber_;
  caption.localPath = localPath_;
  caption.sameText = SameTextSystem;

  const bool separatorAbove = separator_ == TSeparatorStyle::sepTop || separator_ == TSeparatorStyle::sepBoth;
  const bool separatorBelow = separator_ == TSeparatorStyle::sepBottom || separator_ == TSeparatorStyle::sepBoth;
  for (const THistoryEntry& entry : entries) {
    if (separatorAbove && insertedCount_ == 0) {
      auto* line = new ui::TMenuItem(nullptr);
      line->SetCaption("-");
      InsertItem(line);
    }
    auto* item = new ui::TMenuItem(nullptr);
    item->SetCaption(HistoryItemCaption(entry, caption));
    item->Tag = entry.key;
    item->OnClick = [this](ui::TObject* sender) { HistoryItemClick(sender); };
    files_.push_back(entry.path);
    fileItems_.push_back(item);
    InsertItem(item);
    if (OnCreateItem) OnCreateItem(this, item, entry.path);
  }
  if (separatorBelow && insertedCount_ > 0) {
    auto* line = new ui::TMenuItem(nullptr);
    line->SetCaption("-");
    InsertItem(line);
  }
}

void THistoryFiles::InsertItem(ui::TMenuItem* item) {
  parentMenu_->Insert(position_ + insertedCount_, item);
  ++insertedCount_;
}

void THistoryFiles::ClearMenu(ui::TMenuItem* menu) {
  for (int i = 0; i < insertedCount_ && menu && position_ < menu->Count(); ++i) delete menu->Items(position_);
  insertedCount_ = 0;
  files_.clear();
  fileItems_.clear();
}

void THistoryFiles::HistoryItemClick(ui::TObject* sender) {
  if (!OnClickHistoryItem) return;
  auto* item = dynamic_cast<ui::TMenuItem*>(sender);
  if (!item) return;
  // The tag is the item's key, which is its place in the list only while no
  // empty key precedes it (a hand-edited file); the item itself is certain.
  const auto found = std::find(fileItems_.begin(), fileItems_.end(), item);
  if (found == fileItems_.end()) return;
  const auto index = static_cast<size_t>(found - fileItems_.begin());
  if (files_[index].empty()) return;
  const std::string path = files_[index];  // the handler may rebuild the list
  OnClickHistoryItem(this, item, path);
}

void THistoryFiles::ShowError(const std::string& message) {
  MessageBoxA(GetActiveWindow(), message.c_str(), "Error", MB_OK | MB_ICONERROR);
}
