#pragma once

#include <string>

// What the Wine beneath the program offers besides the Win32 API.
namespace wine_runner {

// Wine's version (wine_get_version), or empty where the program does not run under Wine.
std::string wineVersion();

// A folder (code page 932) as a path into the host's file system (\\?\unix\... of
// wine_get_unix_file_name), where Wine looks a name up exactly: a Linux folder may hold a.txt
// beside A.txt, and only such a path can make the second. Empty without Wine.
std::wstring exactPathOf(const std::string& folder);

}  // namespace wine_runner
