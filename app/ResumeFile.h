// The remembered pages in a file of their own beside the recent list, and a
// book's identity as that file keeps it. Paths are given the way the reader
// carries them (the code page, or UTF-8 where it cannot hold them).
#pragma once

#include <optional>
#include <string>

#include "ResumePages.h"

// The file's name in the recent list's folder.
std::string ResumeFileBeside(const std::string& recentListFile);

// A missing, unreadable or damaged file remembers nothing (or what of it can
// still be read): the worst a reader may see is a book opening at page 1.
TResumePages ReadResumeFile(const std::string& file);
// Written whole beside the file and then put in its place, so that a reader
// stopped half-way leaves the old file, never a cut one. False when the file
// could not be replaced; the old one then stays.
bool WriteResumeFile(const std::string& file, const TResumePages& pages);

// The book's full path in UTF-8, its size and its last-write time, read from
// the file now; none when the file cannot be looked at.
std::optional<TBookIdentity> BookIdentityOf(const std::string& path);
