// The person's page layout, kept in a small INI file beside the recent list.
#pragma once

#include <string>

#include "PageLayout.h"

// The file's name in the recent list's folder.
std::string ViewSettingsFileBeside(const std::string& recentListFile);

// A missing, unreadable or damaged file means Automatic.
TPageLayout ReadPageLayout(const std::string& file);
// False when the file could not be written; the choice then lasts only as
// long as the window.
bool WritePageLayout(const std::string& file, TPageLayout layout);
