// The entry list of an archive, ordered by one of the sort modes.
#pragma once

#include "ObjectList.h"
#include "ZipHeaderInfo.h"

enum class TZipSortMode {
  ByName,
  ByFileName,
  ByDirectoryName,
  ByDate,
  ByCompressedSize,
  ByUnCompressedSize,
  ByRate,
  ByNone
};

class TSortedZip : public TSortedObjectList<TZipHeaderInfo> {
public:
  TSortedZip(TZipSortMode mode, TDuplicates duplicates, bool ownsObjects)
      : TSortedObjectList<TZipHeaderInfo>(duplicates, ownsObjects), sortMode_(mode) {}

  int Add(TZipHeaderInfo* item) override;

  // Strict order equivalent to the list's comparison: a goes before b.
  bool SortsBefore(const TZipHeaderInfo* a, const TZipHeaderInfo* b) const { return Compare(b, a) > 0; }

  // Appends an item known to sort after every item already listed.
  void AppendInOrder(TZipHeaderInfo* item);

  TZipSortMode SortMode() const { return sortMode_; }
  bool ContainsZip64() const { return containsZip64_; }

  // Index of the entry at (disk start, local header offset); -1 when absent.
  int IndexOfLocation(std::uint32_t diskStart, std::uint64_t localHeaderOffset) const;

protected:
  int Compare(const TZipHeaderInfo* a, const TZipHeaderInfo* b) const override;

private:
  TZipSortMode sortMode_;
  bool containsZip64_ = false;
};

// Case-insensitive for ASCII letters only, every other byte by value.
int CompareZipNames(const std::string& a, const std::string& b);
