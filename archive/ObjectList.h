// The reader's own pointer lists: an owning list with a fixed growth rule,
// and a sorted list that inserts by binary search.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "Exception.h"

namespace ListMessages {
inline constexpr const char* IndexOutOfBounds = "List index out of bounds (%d)";
inline constexpr const char* Duplicate = "Duplicate Object index";
inline constexpr const char* PutInSorted = "Cannot <Put> an Object in a sorted list!";
inline constexpr int MaxCapacity = 0x1FFFFFFE;
}  // namespace ListMessages

template <class T>
class TObjectList {
public:
  explicit TObjectList(bool ownsObjects = true) : ownsObjects_(ownsObjects) {}
  TObjectList(const TObjectList&) = delete;
  TObjectList& operator=(const TObjectList&) = delete;
  virtual ~TObjectList() { Clear(); }

  virtual int Add(T* item) {
    const int index = Count();
    InsertAt(index, item);
    return index;
  }

  void Insert(int index, T* item) {
    if (index < 0 || index > Count()) Error(index);
    InsertAt(index, item);
  }

  T* Get(int index) const {
    if (index < 0 || index >= Count()) Error(index);
    return items_[static_cast<std::size_t>(index)];
  }
  T* operator[](int index) const { return Get(index); }

  virtual void Set(int index, T* item) {
    if (index < 0 || index >= Count()) Error(index);
    T*& slot = items_[static_cast<std::size_t>(index)];
    if (ownsObjects_ && slot != item) delete slot;
    slot = item;
  }

  // Identity search.
  int IndexOfItem(const T* item) const {
    for (std::size_t i = 0; i < items_.size(); ++i)
      if (items_[i] == item) return static_cast<int>(i);
    return -1;
  }

  T* First() const { return Get(0); }
  T* Last() const { return Get(Count() - 1); }

  int Count() const { return static_cast<int>(items_.size()); }
  void SetCount(int count) {
    if (count < 0 || count > ListMessages::MaxCapacity) Error(count);
    if (count > capacity_) SetCapacity(count);
    while (Count() > count) {
      T* item = items_.back();
      items_.pop_back();
      if (ownsObjects_) delete item;
    }
    items_.resize(static_cast<std::size_t>(count), nullptr);
  }

  int Capacity() const { return capacity_; }
  void SetCapacity(int capacity) {
    if (capacity < Count() || capacity > ListMessages::MaxCapacity) Error(capacity);
    capacity_ = capacity;
    items_.reserve(static_cast<std::size_t>(capacity));
  }

  void Clear() {
    if (ownsObjects_)
      for (T* item : items_) delete item;
    items_.clear();
    items_.shrink_to_fit();
    capacity_ = 0;
  }

  bool OwnsObjects() const { return ownsObjects_; }
  void SetOwnsObjects(bool owns) { ownsObjects_ = owns; }

  // Removes the item at index without freeing it.
  T* Extract(int index) {
    T* item = Get(index);
    items_.erase(items_.begin() + index);
    return item;
  }

protected:
  [[noreturn]] static void Error(int index) {
    throw EListError(FormatWithInt(ListMessages::IndexOutOfBounds, index));
  }

  void InsertAt(int index, T* item) {
    if (Count() == capacity_) Grow();
    items_.insert(items_.begin() + index, item);
  }

private:
  // The reported capacity follows the list's historical growth rule; the
  // storage itself grows geometrically so that long lists stay linear.
  void Grow() {
    int delta;
    if (capacity_ <= 4)
      delta = 4;
    else if (capacity_ <= 8)
      delta = 8;
    else
      delta = static_cast<int>(std::lround(std::sqrt(static_cast<double>(capacity_))));
    capacity_ += delta;
    if (static_cast<std::size_t>(capacity_) > items_.capacity())
      items_.reserve(std::max<std::size_t>(static_cast<std::size_t>(capacity_), items_.capacity() * 2));
  }

  std::vector<T*> items_;
  int capacity_ = 0;
  bool ownsObjects_;
};

enum class TDuplicates { dupIgnore, dupAccept, dupError };

template <class T>
class TSortedObjectList : public TObjectList<T> {
public:
  explicit TSortedObjectList(TDuplicates duplicates = TDuplicates::dupError, bool ownsObjects = true)
      : TObjectList<T>(ownsObjects), duplicates_(duplicates) {}

  // Inserts at the sorted position. With dupIgnore an equal item is not
  // inserted and -1 is returned (the caller keeps ownership then).
  int Add(T* item) override {
    int index = 0;
    if (Find(KeyOf(item), index)) {
      if (duplicates_ == TDuplicates::dupIgnore) return -1;
      if (duplicates_ == TDuplicates::dupError) throw EListError(ListMessages::Duplicate);
    }
    this->InsertAt(index, item);
    return index;
  }

  void Set(int, T*) override { throw EListError(ListMessages::PutInSorted); }

  // Binary search: returns whether an equal item exists; index is where the
  // key sorts (before equal items when duplicates are accepted).
  bool Find(const T* key, int& index) const {
    int low = 0;
    int high = this->Count() - 1;
    bool found = false;
    while (low <= high) {
      const int mid = (low + high) / 2;
      const int cmp = Compare(this->Get(mid), key);
      if (cmp < 0) {
        low = mid + 1;
      } else {
        high = mid - 1;
        if (cmp == 0) {
          found = true;
          if (duplicates_ != TDuplicates::dupAccept) low = mid;
        }
      }
    }
    index = low;
    return found;
  }

  int IndexOf(const T* key) const {
    int index = 0;
    return Find(key, index) ? index : -1;
  }

  TDuplicates Duplicates() const { return duplicates_; }
  void SetDuplicates(TDuplicates duplicates) { duplicates_ = duplicates; }

protected:
  virtual const T* KeyOf(const T* item) const { return item; }
  // Negative when a sorts before b.
  virtual int Compare(const T* a, const T* b) const = 0;

private:
  TDuplicates duplicates_;
};
