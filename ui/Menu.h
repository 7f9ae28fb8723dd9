// Menus: a tree of items rebuilt into the platform's menu whenever an item
// changes. Hidden items are left out, so a menu whose items are all hidden
// shows an empty bar.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <map>
#include <string>
#include <vector>

#include "ui/Component.h"
#include "ui/Types.h"

namespace ui {

class TAction;
class TForm;
class TMenu;

class TMenuItem : public TComponent {
public:
  explicit TMenuItem(TComponent* owner);
  // Leaves its parent item and frees its own sub-items.
  ~TMenuItem() override;

  // The action's caption while an action is linked, else the item's own.
  std::string Caption() const;
  void SetCaption(const std::string& caption);
  bool Visible() const { return visible_; }
  void SetVisible(bool visible);
  bool Enabled() const;
  void SetEnabled(bool enabled);
  bool Checked() const { return checked_; }
  void SetChecked(bool checked);
  // Shows its check as a bullet, one choice among several; which item of
  // the group is checked is the owner's business.
  bool RadioItem() const { return radioItem_; }
  void SetRadioItem(bool radioItem);
  TAction* Action() const { return action_; }
  void SetAction(TAction* action);
  bool IsLine() const { return Caption() == "-"; }
  // The key that runs the item, as the menu shows it beside the caption
  // ("Ctrl+O"); the form handles the key itself.
  const std::string& ShortCutText() const { return shortCutText_; }
  void SetShortCutText(const std::string& text) { shortCutText_ = text; }
  // The OLE menu group of a top-level item: 0 File, 2 Container, 4 Window
  // are the container's own groups when an embedded object merges its menus.
  int GroupIndex() const { return groupIndex_; }
  void SetGroupIndex(int groupIndex) { groupIndex_ = groupIndex; }

  int Count() const { return static_cast<int>(items_.size()); }
  TMenuItem* Items(int index) const { return items_.at(static_cast<size_t>(index)); }
  TMenuItem* Parent() const { return parent_; }
  int IndexOf(const TMenuItem* item) const;
  // Inserting takes ownership of the item (it is freed with this item).
  void Add(TMenuItem* item) { Insert(Count(), item); }
  void Insert(int index, TMenuItem* item);
  // Takes the item out without freeing it.
  void Delete(int index);
  void Remove(TMenuItem* item);
  // Frees every sub-item.
  void Clear();

  // Runs the action, else OnClick. The handler may free this item.
  virtual void Click();
  TNotifyEvent OnClick;

  // The menu this item belongs to (through its parents), or null.
  TMenu* GetParentMenu() const;

private:
  friend class TAction;
  friend class TMenu;
  void ActionChanged() { Changed(); }
  void Changed();

  std::string caption_;
  std::string shortCutText_;
  bool visible_ = true;
  bool enabled_ = true;
  bool checked_ = false;
  bool radioItem_ = false;
  int groupIndex_ = 0;
  TAction* action_ = nullptr;
  TMenuItem* parent_ = nullptr;
  std::vector<TMenuItem*> items_;
  TMenu* menu_ = nullptr;  // set on the root item only
};

class TMenu : public TComponent {
public:
  explicit TMenu(TComponent* owner);
  ~TMenu() override;

  // The root item; its sub-items are the menu's entries.
  TMenuItem* Items() const { return items_; }
  HMENU Handle();

  // Runs the item that carries a command id of the current platform menu.
  bool DispatchCommand(UINT id);
  // Rebuilds the platform menu from the item tree.
  virtual void Rebuild();

protected:
  friend class TMenuItem;
  virtual HMENU CreateRootMenu() = 0;
  virtual void Rebuilt(HMENU) {}

  HMENU handle_ = nullptr;

private:
  void Fill(HMENU menu, TMenuItem* parent);

  TMenuItem* items_;
  std::map<UINT, TMenuItem*> commands_;
  UINT nextCommand_ = 1;
};

class TMainMenu : public TMenu {
public:
  explicit TMainMenu(TComponent* owner) : TMenu(owner) {}
  ~TMainMenu() override;

  void AttachForm(TForm* form) { form_ = form; }
  void DetachForm(TForm* form) {
    if (form_ == form) form_ = nullptr;
  }

  // OLE menu merge: appends the visible top-level items of the given groups
  // to `shared`, in order, and counts each group's items in `widths` (six
  // entries, one per OLE menu group).
  void PopulateOle2Menu(HMENU shared, std::initializer_list<int> groups, LONG* widths);
  // The menu bar shows `shared` while it is set, this menu's own otherwise.
  void SetOle2MenuHandle(HMENU shared);
  // The window whose bar shows this menu, or null.
  HWND WindowHandle() const;

protected:
  HMENU CreateRootMenu() override { return CreateMenu(); }
  void Rebuilt(HMENU old) override;

private:
  void ShowOnForm();

  TForm* form_ = nullptr;
  HMENU ole2Menu_ = nullptr;
};

// A menu that pops up at a point; the chosen item runs like a menu command.
class TPopupMenu : public TMenu {
public:
  explicit TPopupMenu(TComponent* owner) : TMenu(owner) {}

  void Popup(int screenX, int screenY, HWND owner);

protected:
  HMENU CreateRootMenu() override { return CreatePopupMenu(); }
};

}  // namespace ui
