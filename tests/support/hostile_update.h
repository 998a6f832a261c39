#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "manifest/layouts.h"

// Updates and installations drawn from a small alphabet that makes twins likely: names apart
// in A-Z case, full-width case or a trail byte, '/' for '\', doubled separators, another
// entry's ".bak", duplicates, folders; files present or absent, read-only; payload missing; a
// cancel at some chunk; one failed call of the file service. Drawn from any source of choices:
// a seeded generator in the unit suite, the fuzzer's bytes in the fuzz target. Also a file where
// a folder is and a folder where a file is, the record's name and its temporaries', and folders
// whose length brings the joined paths to the system's limits.
namespace testing_support {

// Where the draws come from: below(n) is a number from 0 to n - 1 (n > 0).
using Choices = std::function<uint32_t(uint32_t n)>;

// The folder every path of a hostile run lies below.
inline constexpr char kHostileRoot[] = "Z:\\updater-hostile-run\\";

struct HostileUpdate {
    struct File {
        std::string name;  // code page 932, relative to its folder
        std::string content;
        bool readOnly = false;
    };
    // The installation before the run, its record's entries and headers, the update's entries
    // with their payload. Folders of the installation end in '\'.
    std::vector<std::string> installedFolders;
    std::vector<File> installedFiles;
    std::vector<manifest::ManifestEntry> recordEntries;
    manifest::UninstallHeader recordHeader{};
    manifest::UpdateHeader updateHeader{};
    std::vector<manifest::ManifestEntry> updateEntries;
    std::vector<File> payload;  // below the data folder
    // Where the installation and the update lie, each ending in a backslash.
    std::string installFolder, updateFolder;
    // Whether the shortcut folder that the record's template names is there, in the per-user
    // and in the all-users Programs folder, wherever it leads; the installed slots' links are
    // there where it is.
    bool userShortcutFolder = false;
    bool commonShortcutFolder = false;

    bool removal = false;
    int confirmation = 1;  // what the confirmation answers: 1 OK, 0 Cancel
    int cancelAtPump = 0;  // 0: never
    // One call of the file service that fails (counted from the start of the run), or none.
    std::string failedCall;
    int failedCallNumber = 0;

    // The case as text, to reproduce a failure by reading it.
    std::string describe() const;
};

HostileUpdate drawHostileUpdate(const Choices& choose);

}  // namespace testing_support
