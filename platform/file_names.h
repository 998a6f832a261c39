#pragma once

#include <string>
#include <string_view>
#include <vector>

// How Windows tells that two spellings name one file, for whoever must know it without asking
// a Windows file system: the in-memory overlay of patchkit's dry run and the tests, and
// patchkit's checks of what a package would do on the disk (packages go to Windows, whatever
// the host). The system's own answer, for the file service in force, is Files::fileKeyOf.
namespace platform {

struct PathKey {
    // UTF-8, upper-cased, '/' between components: equal for two paths exactly when Windows
    // opens one file for both.
    std::string key;
    // The same path in code page 932 as the system resolves it, in the caller's letter
    // case: '\\' between components, no separator at the end except a root's ("C:\\").
    std::string path;
    // The path ended in a separator, so it can name a folder only.
    bool trailingSeparator = false;
    // The last name is a device ("nul.txt" below any folder is NUL): key and path name the
    // device ("//./NUL", "\\.\nul"), which no folder holds.
    bool device = false;
};

// The key of a path (bytes in code page 932) by Windows' rule: the name in UTF-16 as the
// narrow calls read it (a lead byte with a byte that makes no character of the code page, or
// with none, is its default character ・), '/' read as '\', a run of separators as one, "."
// and ".." resolved by their text, dots and blanks at the end of the last name dropped, a last
// name that is a device (CON, PRN, AUX, NUL, CONIN$, CONOUT$, COM1-9, LPT1-9, in any case,
// before a dot or blanks) taken for the device (GetFullPathNameW does all of that), then every
// character upper-cased ordinally, as NTFS and Wine compare names. Of what code page 932
// holds, that folds a-z, ａ-ｚ, Greek, Cyrillic and the small Roman numerals onto their
// capitals; ア and ヂ, whose second bytes differ only as 'A' and 'a' do, stay two names. A
// path without a drive or a "\\server\share" keeps a relative key: such paths compare among
// themselves. False when a single byte is no character of the code page or the path is empty.
bool windowsPathKeyOf(std::string_view productPath, PathKey& key);

// The folder that holds the path's file or folder; false for a root or a single relative name.
bool parentOf(const PathKey& child, PathKey& parent);
// The same for a key alone; empty for a root or a single relative name.
std::string parentKeyOf(const std::string& key);

// The names of what a folder on disk holds, in the ANSI code page; a name the code page
// cannot hold is empty (it still exists, so the folder is not empty). False when the folder
// cannot be listed. On Windows: FindFirstFileW of "folder\*", FindNextFileW, FindClose;
// natively opendir and readdir.
bool listRealFolder(const std::string& productFolder, std::vector<std::string>& names);

}  // namespace platform
