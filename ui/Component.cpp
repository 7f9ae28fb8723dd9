#include "ui/Component.h"

#include <algorithm>

namespace ui {

TComponent::TComponent(TComponent* owner) {
  if (owner) owner->InsertComponent(this);
}

TComponent::~TComponent() {
  destroying_ = true;
  // Newest first, so that later components never outlive what they were built on.
  while (!components_.empty()) delete components_.back();
  if (owner_) owner_->RemoveComponent(this);
}

void TComponent::InsertComponent(TComponent* component) {
  components_.push_back(component);
  component->owner_ = this;
}

void TComponent::RemoveComponent(TComponent* component) {
  components_.erase(std::remove(components_.begin(), components_.end(), component), components_.end());
  component->owner_ = nullptr;
}

}  // namespace ui
