// Small routines shared by the reader's windows and components.
#pragma once

#include <string>
#include <string_view>

// An empty path stays empty; otherwise the result ends in exactly the "\"
// that was there or one appended.
std::string AddTrailingBackslash(const std::string& path);
// The file-name part of a path (after the last "\", "/" or ":").
std::string ExtractFileName(const std::string& path);
// The folder part including its trailing delimiter, or empty.
std::string ExtractFilePath(const std::string& path);
// The extension of the file-name part, from its last "." on, or empty.
std::string ExtractFileExt(const std::string& path);
// The file-name part without its extension.
std::string FileNameWithoutExt(const std::string& path);
// ASCII upper case, as the command-line checks compare it.
std::string UpperCase(std::string text);
// The text without the blanks, tabs and line ends around it.
std::string_view TrimBlanks(std::string_view text);

// Platform routines (Windows only).
#ifdef _WIN32
#include "FileSystem.h"  // ExecutablePath, FileExists
#endif
// `name` in the executable's folder.
std::string PathBesideExe(const std::string& name);
// The all-users application-data folder, or empty when the shell has none.
std::string CommonAppDataFolder();
// Opens a document or web address with its default verb; the result is not examined.
void ShellOpen(const std::string& target, const std::string& parameters = std::string());
