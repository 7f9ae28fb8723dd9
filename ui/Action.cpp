#include "ui/Action.h"

#include "ui/Menu.h"

namespace ui {

TAction::~TAction() {
  BeginDestroy();
  for (TMenuItem* client : std::vector<TMenuItem*>(clients_)) client->SetAction(nullptr);
}

void TAction::SetCaption(const std::string& caption) {
  if (caption == caption_) return;
  caption_ = caption;
  Changed();
}

void TAction::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  Changed();
}

bool TAction::Execute() {
  if (!enabled_ || !OnExecute) return false;
  OnExecute(this);
  return true;
}

void TAction::Changed() {
  for (TMenuItem* client : clients_) client->ActionChanged();
}

TAction* TActionList::Add(const std::string& name, const std::string& caption) {
  auto* action = new TAction(this);
  action->Name = name;
  action->SetCaption(caption);
  return action;
}

}  // namespace ui
