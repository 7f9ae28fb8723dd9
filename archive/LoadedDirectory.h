// One loaded directory of an archive: the entry list in physical order, the
// view in the chosen sort order and their name indexes. Read-only once
// loaded; a reload makes a new one. The reader and every extraction hold it
// by shared reference, so an extraction keeps reading the directory it
// started with even when a handler run from its yield sets another name or
// the file changes and is read again.
#pragma once

#include <memory>

#include "EntryNameIndex.h"
#include "SortedZip.h"

class TLoadedDirectory {
public:
  explicit TLoadedDirectory(TEntryNameIndex::TLowerCase lowerCase) : lowerCase_(std::move(lowerCase)) {}
  TLoadedDirectory(const TLoadedDirectory&) = delete;
  TLoadedDirectory& operator=(const TLoadedDirectory&) = delete;

  // While loading, the primary list is built here; afterwards only the view
  // changes, and only by the load that made it.
  std::unique_ptr<TSortedZip> Primary;
  std::unique_ptr<TSortedZip> OwnedView;  // for sort modes other than ByNone
  TSortedZip* View = nullptr;             // Primary itself for ByNone

  int Count() const { return Primary ? Primary->Count() : 0; }

  // The name index of list (Primary or View), built on its first question;
  // an index answers for the list it was built over, so each has its own.
  TEntryNameIndex& NameIndex(const TSortedZip& list) const {
    auto& index = &list == Primary.get() ? primaryIndex_ : viewIndex_;
    if (!index) index = std::make_unique<TEntryNameIndex>(list, lowerCase_);
    return *index;
  }
  void ForgetViewIndex() { viewIndex_.reset(); }

private:
  TEntryNameIndex::TLowerCase lowerCase_;
  mutable std::unique_ptr<TEntryNameIndex> primaryIndex_;
  mutable std::unique_ptr<TEntryNameIndex> viewIndex_;
};
