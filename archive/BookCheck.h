// The rule that makes an archive a book: "book.swf" at the top level and at
// least one of "files\book.bin" and "files\config.xml", names compared
// exactly as the reader reports them.
#pragma once

#include <string>
#include <vector>

class TZipReader;

// Every "./" removed, every "/" turned into "\".
std::string NormalizeBookEntryName(const std::string& name);

// 1-based index of the entry whose full name equals the normalised name
// (case-sensitive), 0 when none does or there is no reader.
int FindBookEntry(const TZipReader* reader, const std::string& name);

struct TBookCheck {
  bool HasMovie = false;
  bool HasRunTimeFile = false;
  bool IsBook() const { return HasMovie && HasRunTimeFile; }
  // What a book lacks, in words for the user of the book tools.
  std::vector<std::string> Missing() const;
};

TBookCheck CheckBook(const TZipReader* reader);
