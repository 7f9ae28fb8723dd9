// What the trace log needs from the platform: where the executable lives,
// folders, appending to a file and the switch in the environment.
#pragma once

#include <optional>
#include <string>

namespace logfile {

// The running executable's folder, ending in a path separator.
std::string ExecutableFolder();
bool FolderExists(const std::string& folder);
// Creates the folder with every missing parent; throws on failure.
void CreateFolders(const std::string& folder);
// Appends bytes to the file, creating it; a file that ends without a line
// break gets one first, so that every entry starts its own line. Throws on failure.
void AppendLine(const std::string& path, const std::string& line);
std::optional<std::string> EnvironmentValue(const char* name);

}  // namespace logfile
