// Actions: a named command with a caption that menu items and links share.
#pragma once

#include <string>
#include <vector>

#include "ui/Component.h"
#include "ui/Types.h"

namespace ui {

class TMenuItem;

class TAction : public TComponent {
public:
  explicit TAction(TComponent* owner) : TComponent(owner) {}
  ~TAction() override;

  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& caption);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  std::string Hint;

  // Runs OnExecute; false when the action is disabled or has no handler.
  bool Execute();

  TNotifyEvent OnExecute;

private:
  friend class TMenuItem;
  void Changed();

  std::string caption_;
  bool enabled_ = true;
  std::vector<TMenuItem*> clients_;
};

// Groups the actions of a form; the actions are its components.
class TActionList : public TComponent {
public:
  explicit TActionList(TComponent* owner) : TComponent(owner) {}
  // Creates an action owned by the list.
  TAction* Add(const std::string& name, const std::string& caption);
};

}  // namespace ui
