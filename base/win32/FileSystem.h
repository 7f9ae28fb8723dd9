// The running program's own path and plain questions about files, shared by
// the reader, its shell and the archive's platform.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

// The full path of the running executable, however long.
std::wstring ExecutablePathWide();
// The same as text: in the system code page where it holds the path, UTF-8 otherwise.
std::string ExecutablePath();

// The path made absolute against the current folder, however long; empty
// when the system cannot make it so.
std::wstring FullPathWide(const std::wstring& path);

// The rest of an open file (a HANDLE) from where it stands, when that is at
// most largest bytes and reads whole; none otherwise.
std::optional<std::string> ReadWholeFile(void* file, std::size_t largest);

// True for an existing file; a folder of that name is no file.
bool FileExists(const std::string& path);
bool DirectoryExists(const std::string& path);

// Letter case ignored the way the user's locale compares file names.
bool SameTextSystem(const std::string& a, const std::string& b);
