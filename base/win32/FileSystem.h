// The running program's own path and plain questions about files, shared by
// the reader, its shell and the archive's platform.
#pragma once

#include <string>

// The full path of the running executable, however long.
std::wstring ExecutablePathWide();
// The same as text: in the system code page where it holds the path, UTF-8 otherwise.
std::string ExecutablePath();

// True for an existing file; a folder of that name is no file.
bool FileExists(const std::string& path);
bool DirectoryExists(const std::string& path);

// Letter case ignored the way the user's locale compares file names.
bool SameTextSystem(const std::string& a, const std::string& b);
