// Root object and owner-managed components: an owner frees what it owns, and
// a component freed by hand leaves its owner's list first.
#pragma once

#include <string>
#include <vector>

namespace ui {

class TObject {
public:
  TObject() = default;
  TObject(const TObject&) = delete;
  TObject& operator=(const TObject&) = delete;
  virtual ~TObject() = default;
};

class TComponent : public TObject {
public:
  explicit TComponent(TComponent* owner);
  ~TComponent() override;

  TComponent* Owner() const { return owner_; }
  int ComponentCount() const { return static_cast<int>(components_.size()); }
  TComponent* Components(int index) const { return components_.at(static_cast<size_t>(index)); }

  std::string Name;
  int Tag = 0;

protected:
  // True once destruction has begun; events must not fire any more.
  bool Destroying() const { return destroying_; }
  void BeginDestroy() { destroying_ = true; }

private:
  void InsertComponent(TComponent* component);
  void RemoveComponent(TComponent* component);

  TComponent* owner_ = nullptr;
  std::vector<TComponent*> components_;
  bool destroying_ = false;
};

}  // namespace ui
