#include "HistoryList.h"
#include "PathText.h"

#include <algorithm>
#include <cctype>

namespace {

bool IsBlank(const std::string& value) {
  return std::all_of(value.begin(), value.end(), [](unsigned char c) { return c <= ' '; });
}

char UpperAscii(char c) { return static_cast<char>(std::toupper(static_cast<unsigned char>(c))); }

}  // namespace

bool SameTextAscii(const std::string& a, const std::string& b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return UpperAscii(x) == UpperAscii(y); });
}

std::string ExtractFileDir(const std::string& path) { return FolderPart(path); }

std::string ExtractFileNameOnly(const std::string& path) { return path.substr(ExtractFileDir(path).size()); }

void AddToHistory(IHistoryStore& store, const std::string& path, const THistoryAddOptions& options) {
  const std::string newest = ExtractFileDir(path).empty() ? options.localPath + path : path;
  const auto capacity = static_cast<size_t>(std::max(options.maxItems, 0));

  std::vector<std::string> list{newest};
  for (int key = 1; key <= options.maxItems; ++key) {
    const std::string value = store.Read(key);
    if (options.sameText(value, newest) || list.size() >= capacity || IsBlank(value)) continue;
    list.push_back(value);
  }
  if (options.sorted) {
    std::sort(list.begin(), list.end(), [](const std::string& a, const std::string& b) {
      return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                          [](char x, char y) { return UpperAscii(x) < UpperAscii(y); });
    });
  }
  if (list.size() < capacity) list.resize(capacity);
  // Last key first: a reader ended half-way (a crash, a kill) leaves an entry
  // twice at worst, never one lost, and the new book heads the list only once
  // the others have moved down.
  for (size_t i = list.size(); i-- > 0;) store.Write(static_cast<int>(i) + 1, list[i]);
}

std::vector<THistoryEntry> ReadHistory(IHistoryStore& store, int maxItems,
                                       const std::function<bool(const std::string&)>& fileExists) {
  std::vector<THistoryEntry> entries;
  for (int key = 1; key <= maxItems; ++key) {
    std::string value = store.Read(key);
    if (fileExists) {
      // Bounded even when the store refuses writes. The key past the end takes
      // part, so that an entry kept there (a list once longer) moves into view.
      for (int pass = key; pass <= maxItems + 1 && !value.empty() && !fileExists(value); ++pass) {
        for (int later = key; later <= maxItems; ++later) store.Write(later, store.Read(later + 1));
        store.Write(maxItems + 1, "");
        value = store.Read(key);
      }
    }
    if (!value.empty()) entries.push_back({key, value});
  }
  return entries;
}

std::string HistoryItemCaption(const THistoryEntry& entry, const THistoryCaptionOptions& options) {
  std::string name = entry.path;
  if (!options.showFullPath || options.sameText(ExtractFileDir(entry.path), options.localPath)) {
    name = ExtractFileNameOnly(entry.path);
  }
  if (!options.showNumber) return name;
  return "&" + std::to_string(entry.key) + " " + name;
}

std::string StripMenuNumber(const std::string& caption) {
  const size_t blank = caption.find(' ');
  if (blank == std::string::npos || blank >= 4) return caption;
  return caption.substr(blank + 1);
}
