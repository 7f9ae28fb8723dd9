#include "HistoryFiles.h"

#include <windows.h>

#include <algorithm>

#include "FileSystem.h"
#include "HistoryList.h"
#include "WideText.h"
#include "Win32Handles.h"

namespace {

constexpr unsigned char kUtf16Mark[] = {0xFF, 0xFE};

// One section of a private-profile INI file. The profile functions keep a
// file's encoding: one that starts with the UTF-16 mark holds any path, an
// 8-bit one only what the code page holds. A new list therefore starts as
// UTF-16, and an 8-bit list (as older versions wrote it) is converted, keys
// and all, only when a path its code page cannot hold is to be written.
class TIniSection final : public IHistoryStore {
public:
  TIniSection(const std::string& file, const std::string& section)
      : file_(FullPath(TextToWide(file))), section_(TextToWide(section)) {}

  std::string Read(int key) override {
    wchar_t value[4096] = {};
    const DWORD n = GetPrivateProfileStringW(section_.c_str(), std::to_wstring(key).c_str(), L"", value,
                                             sizeof value / sizeof *value, file_.c_str());
    return WideToText(std::wstring(value, n));
  }

  void Write(int key, const std::string& value) override {
    const std::wstring wide = TextToWide(value);
    PrepareFileFor(wide);
    WritePrivateProfileStringW(section_.c_str(), std::to_wstring(key).c_str(), wide.c_str(), file_.c_str());
  }

private:
  // The profile functions look for a bare file name in the Windows folder,
  // where the reader may not write; it is meant relative to the current folder.
  static std::wstring FullPath(const std::wstring& file) {
    if (file.empty() || file.find_first_of(L"\\/:") != std::wstring::npos) return file;
    const std::wstring full = FullPathWide(file);
    return full.empty() ? file : full;
  }

  // Once the file is known to be UTF-16 it stays so: the rest of an update's
  // writes need not look again.
  void PrepareFileFor(const std::wstring& value) {
    if (unicode_) return;
    TFileHandle file(CreateFileW(file_.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) return;  // the write that follows reports nothing either; the list stays as it was
    const std::optional<std::string> read = ReadWholeFile(file.get(), 1 << 20);
    if (!read) return;
    const std::string& bytes = *read;
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == kUtf16Mark[0] &&
        static_cast<unsigned char>(bytes[1]) == kUtf16Mark[1]) {
      unicode_ = true;
      return;
    }
    if (!bytes.empty() && CodePageHolds(value)) return;
    const std::wstring text = AnsiToWide(bytes);
    std::string utf16(reinterpret_cast<const char*>(kUtf16Mark), sizeof kUtf16Mark);
    utf16.append(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
    SetFilePointer(file.get(), 0, nullptr, FILE_BEGIN);
    DWORD put = 0;
    unicode_ = WriteFile(file.get(), utf16.data(), static_cast<DWORD>(utf16.size()), &put, nullptr) &&
               put == utf16.size() && SetEndOfFile(file.get());
  }

  std::wstring file_;
  std::wstring section_;
  bool unicode_ = false;
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
