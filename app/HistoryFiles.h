// The recent-books list: most recent first in an INI section, shown as
// numbered items ("&1 path") in a menu. Clicking an item raises
// OnClickHistoryItem with its path.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "ui/Component.h"
#include "ui/Menu.h"

enum class TSeparatorStyle { sepNone, sepTop, sepBottom, sepBoth };

using THistoryItemClick = std::function<void(ui::TObject* sender, ui::TMenuItem* item, const std::string& filename)>;
using THistoryCreateItem = std::function<void(ui::TObject* sender, ui::TMenuItem* item, const std::string& filename)>;

class THistoryFiles : public ui::TComponent {
public:
  explicit THistoryFiles(ui::TComponent* owner);
  ~THistoryFiles() override;

  std::uint8_t MaxItems() const { return maxItems_; }
  void SetMaxItems(std::uint8_t maxItems) { maxItems_ = maxItems; }
  const std::string& IniKey() const { return iniKey_; }
  void SetIniKey(const std::string& iniKey) { iniKey_ = iniKey; }
  // A folder ending in "\"; paths given without a folder are taken to be in it.
  const std::string& LocalPath() const { return localPath_; }
  void SetLocalPath(const std::string& localPath) { localPath_ = localPath; }
  bool ShowFullPath() const { return showFullPath_; }
  void SetShowFullPath(bool showFullPath) { showFullPath_ = showFullPath; }
  const std::string& IniFile() const { return iniFile_; }
  void SetIniFile(const std::string& iniFile) { iniFile_ = iniFile; }
  ui::TMenuItem* ParentMenu() const { return parentMenu_; }
  // Takes the component's items out of the previous menu first.
  void SetParentMenu(ui::TMenuItem* menu);
  TSeparatorStyle Separator() const { return separator_; }
  void SetSeparator(TSeparatorStyle separator) { separator_ = separator; }
  // Index in ParentMenu where the items start; no more than its item count.
  int Position() const { return position_; }
  void SetPosition(int position);
  bool FileMustExist() const { return fileMustExist_; }
  void SetFileMustExist(bool fileMustExist) { fileMustExist_ = fileMustExist; }
  bool Sorted() const { return sorted_; }
  void SetSorted(bool sorted) { sorted_ = sorted; }
  bool ShowNumber() const { return showNumber_; }
  void SetShowNumber(bool showNumber) { showNumber_ = showNumber; }

  THistoryItemClick OnClickHistoryItem;
  THistoryCreateItem OnCreateItem;

  // Puts the path at the top of the stored list and rebuilds the menu.
  void AddFile(const std::string& path);
  // Rebuilds the menu items from the INI file.
  void UpdateMenu();
  // Frees the component's items in `menu`.
  void ClearMenu(ui::TMenuItem* menu);
  // The click handler of every file item.
  void HistoryItemClick(ui::TObject* item);

  // The paths currently shown, in menu order.
  const std::vector<std::string>& Files() const { return files_; }

protected:
  // A modal error box; overridable so that tests need no one to press OK.
  virtual void ShowError(const std::string& message);

private:
  void InsertItem(ui::TMenuItem* item);

  std::uint8_t maxItems_ = 5;
  std::string iniKey_ = "History Files";
  std::string localPath_;
  bool showFullPath_ = true;
  std::string iniFile_ = "History.ini";
  ui::TMenuItem* parentMenu_ = nullptr;
  TSeparatorStyle separator_ = TSeparatorStyle::sepNone;
  int position_ = 0;
  bool fileMustExist_ = false;
  bool sorted_ = false;
  bool showNumber_ = true;

  std::vector<std::string> files_;
  std::vector<ui::TMenuItem*> fileItems_;  // parallel to files_
  int insertedCount_ = 0;  // file items and separators
};
