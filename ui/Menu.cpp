#include "ui/Menu.h"

#include <algorithm>

#include "WideText.h"
#include "Exception.h"
#include "ui/Action.h"
#include "ui/Form.h"

namespace ui {

TMenuItem::TMenuItem(TComponent* owner) : TComponent(owner) {}

TMenuItem::~TMenuItem() {
  BeginDestroy();
  SetAction(nullptr);
  while (!items_.empty()) delete items_.back();
  if (parent_) parent_->Remove(this);
}

std::string TMenuItem::Caption() const { return action_ ? action_->Caption() : caption_; }

void TMenuItem::SetCaption(const std::string& caption) {
  if (action_) {
    action_->SetCaption(caption);
    return;
  }
  if (caption == caption_) return;
  caption_ = caption;
  Changed();
}

void TMenuItem::SetVisible(bool visible) {
  if (visible == visible_) return;
  visible_ = visible;
  Changed();
}

bool TMenuItem::Enabled() const { return enabled_ && (!action_ || action_->Enabled()); }

void TMenuItem::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  Changed();
}

void TMenuItem::SetChecked(bool checked) {
  if (checked == checked_) return;
  checked_ = checked;
  Changed();
}

void TMenuItem::SetRadioItem(bool radioItem) {
  if (radioItem == radioItem_) return;
  radioItem_ = radioItem;
  Changed();
}

void TMenuItem::SetAction(TAction* action) {
  if (action == action_) return;
  if (action_) {
    auto& clients = action_->clients_;
    clients.erase(std::remove(clients.begin(), clients.end(), this), clients.end());
  }
  action_ = action;
  if (action_) action_->clients_.push_back(this);
  Changed();
}

int TMenuItem::IndexOf(const TMenuItem* item) const {
  auto it = std::find(items_.begin(), items_.end(), item);
  return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
}

void TMenuItem::Insert(int index, TMenuItem* item) {
  if (!item) return;
  if (item->parent_) throw Exception("Menu item '" + item->Name + "' is already inserted");
  if (index < 0 || index > Count()) throw EListError("Menu index " + std::to_string(index) + " out of bounds");
  items_.insert(items_.begin() + index, item);
  item->parent_ = this;
  Changed();
}

void TMenuItem::Delete(int index) {
  if (index < 0 || index >= Count()) throw EListError("Menu index " + std::to_string(index) + " out of bounds");
  TMenuItem* item = items_[static_cast<size_t>(index)];
  items_.erase(items_.begin() + index);
  item->parent_ = nullptr;
  Changed();
}

void TMenuItem::Remove(TMenuItem* item) {
  int index = IndexOf(item);
  if (index >= 0) Delete(index);
}

void TMenuItem::Clear() {
  while (!items_.empty()) delete items_.back();
}

void TMenuItem::Click() {
  if (!Enabled()) return;
  if (action_) {
    action_->Execute();
    return;
  }
  if (OnClick) OnClick(this);
}

TMenu* TMenuItem::GetParentMenu() const {
  const TMenuItem* item = this;
  while (item->parent_) item = item->parent_;
  return item->menu_;
}

void TMenuItem::Changed() {
  if (Destroying()) return;
  if (TMenu* menu = GetParentMenu(); menu && menu->handle_) menu->Rebuild();
}

// ---- menus ----

TMenu::TMenu(TComponent* owner) : TComponent(owner), items_(new TMenuItem(nullptr)) {
  items_->menu_ = this;
}

TMenu::~TMenu() {
  BeginDestroy();
  items_->menu_ = nullptr;
  delete items_;
  if (handle_) DestroyMenu(handle_);
}

HMENU TMenu::Handle() {
  if (!handle_) Rebuild();
  return handle_;
}

void TMenu::Rebuild() {
  HMENU old = handle_;
  handle_ = CreateRootMenu();
  commands_.clear();
  nextCommand_ = 0x100;
  Fill(handle_, items_);
  Rebuilt(old);
  if (old) DestroyMenu(old);
}

void TMenu::Fill(HMENU menu, TMenuItem* parent) {
  for (TMenuItem* item : parent->items_) {
    if (!item->Visible()) continue;
    if (item->IsLine()) {
      AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
      continue;
    }
    UINT flags = MF_STRING | (item->Enabled() ? 0 : MF_GRAYED) | (item->Checked() ? MF_CHECKED : 0);
    if (item->Count() > 0) {
      HMENU sub = CreatePopupMenu();
      Fill(sub, item);
      AppendMenuW(menu, flags | MF_POPUP, reinterpret_cast<UINT_PTR>(sub), TextToWide(item->Caption()).c_str());
    } else {
      UINT id = nextCommand_++;
      commands_[id] = item;
      const std::string text =
          item->ShortCutText().empty() ? item->Caption() : item->Caption() + "\t" + item->ShortCutText();
      AppendMenuW(menu, flags, id, TextToWide(text).c_str());
      if (item->RadioItem()) {
        MENUITEMINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE;
        GetMenuItemInfoW(menu, id, FALSE, &info);
        info.fType |= MFT_RADIOCHECK;
        SetMenuItemInfoW(menu, id, FALSE, &info);
      }
    }
  }
}

bool TMenu::DispatchCommand(UINT id) {
  auto it = commands_.find(id);
  if (it == commands_.end()) return false;
  it->second->Click();
  return true;
}

TMainMenu::~TMainMenu() {
  BeginDestroy();
  if (form_) form_->SetMenu(nullptr);
}

void TMainMenu::Rebuilt(HMENU) { ShowOnForm(); }

void TMainMenu::ShowOnForm() {
  if (form_ && form_->HandleAllocated()) {
    ::SetMenu(form_->Handle(), ole2Menu_ ? ole2Menu_ : handle_);
    DrawMenuBar(form_->Handle());
  }
}

void TMainMenu::PopulateOle2Menu(HMENU shared, std::initializer_list<int> groups, LONG* widths) {
  HMENU own = Handle();
  for (int group : groups) {
    int position = 0;  // among the items the platform menu holds: the visible ones
    for (int i = 0; i < Items()->Count(); ++i) {
      TMenuItem* item = Items()->Items(i);
      if (!item->Visible()) continue;
      const int here = position++;
      if (item->GroupIndex() != group) continue;
      wchar_t caption[256] = {};
      GetMenuStringW(own, static_cast<UINT>(here), caption, 256, MF_BYPOSITION);
      if (HMENU sub = GetSubMenu(own, here))
        AppendMenuW(shared, MF_STRING | MF_POPUP, reinterpret_cast<UINT_PTR>(sub), caption);
      else
        AppendMenuW(shared, MF_STRING, GetMenuItemID(own, here), caption);
      if (group >= 0 && group < 6) ++widths[group];
    }
  }
}

void TMainMenu::SetOle2MenuHandle(HMENU shared) {
  ole2Menu_ = shared;
  ShowOnForm();
}

HWND TMainMenu::WindowHandle() const {
  return form_ && form_->HandleAllocated() ? form_->Handle() : nullptr;
}

void TPopupMenu::Popup(int screenX, int screenY, HWND owner) {
  UINT id = static_cast<UINT>(TrackPopupMenu(Handle(), TPM_RETURNCMD | TPM_RIGHTBUTTON, screenX, screenY, 0, owner, nullptr));
  if (id) DispatchCommand(id);
}

}  // namespace ui
