// The stored side of the recent-books list: an INI section whose keys "1",
// "2", ... hold paths, key "1" the most recent. Free of any menu so that it
// can be checked on its own.
#pragma once

#include <functional>
#include <string>
#include <vector>

// One INI section.
class IHistoryStore {
public:
  virtual ~IHistoryStore() = default;
  // An absent key reads as empty.
  virtual std::string Read(int key) = 0;
  virtual void Write(int key, const std::string& value) = 0;
};

using TSameText = std::function<bool(const std::string&, const std::string&)>;
// Letter case ignored for ASCII letters; the platform may supply a better one.
bool SameTextAscii(const std::string& a, const std::string& b);

struct THistoryAddOptions {
  int maxItems = 5;
  bool sorted = false;
  std::string localPath;  // folder for a path given without one
  TSameText sameText = SameTextAscii;
};

// Puts `path` at key "1"; keys "1".."maxItems" are all written, empty past the end.
void AddToHistory(IHistoryStore& store, const std::string& path, const THistoryAddOptions& options);

struct THistoryEntry {
  int key = 0;
  std::string path;
};

// The non-empty entries in key order. With fileExists given, entries whose
// file is gone are removed from the store first, later keys moving up, key
// maxItems + 1 included (it is left empty).
std::vector<THistoryEntry> ReadHistory(IHistoryStore& store, int maxItems,
                                       const std::function<bool(const std::string&)>& fileExists = {});

struct THistoryCaptionOptions {
  bool showFullPath = true;
  bool showNumber = true;
  std::string localPath;
  TSameText sameText = SameTextAscii;
};

// "&3 C:\Books\a.vlq": the digit is the item's keyboard accelerator.
std::string HistoryItemCaption(const THistoryEntry& entry, const THistoryCaptionOptions& options);

// The part up to and including the last "\", "/" or ":"; empty for a bare name.
std::string ExtractFileDir(const std::string& path);
std::string ExtractFileNameOnly(const std::string& path);

// The path inside a caption made by HistoryItemCaption: what follows the first
// blank when that blank is among the first four characters, else the caption.
std::string StripMenuNumber(const std::string& caption);
