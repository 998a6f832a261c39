#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/patchkit/progress.h"

namespace patchkit {

// One way an installation and its record (Uninstallinf.dat) disagree.
struct Disagreement {
    enum Kind {
        RecordUnusable,   // the updater could not open the record, or its loader refuses it
        CountDiffers,     // fileCount or totalBytes against what the entries add up to
        NamesClash,       // two records that the updater's name matching takes for one another
        FileMissing,      // a listed file is not there (or cannot be read)
        SizeDiffers,      // a listed file's size on disk is not the record's
        FolderMissing,    // a listed folder is not there
        BackupLeft,       // NAME.bak beside a listed file: what an update left of the old file
        NotListed,        // a file or folder present that no record lists
        Unrecordable,     // something present that no record could list as it is named
        ShortcutMissing,  // a recorded shortcut slot's file is not in the Programs folder
        ShortcutFolderLeaves,  // the record's shortcut folder lies outside the Programs folders
    };
    Kind kind;
    std::string subject;  // UTF-8: an entry or a path relative to the installation, or a field
    std::string other;    // UTF-8: the clashing entry, the file a backup belongs to, a shortcut's file
    uint64_t inRecord = 0;
    uint64_t onDisk = 0;
    std::string reason;   // English, where the kind alone does not say it
};

// Everything that differs between the installation below installDirUtf8 and its record, read
// through the updater's own loader: listed files and folders against the disk, the counters
// against the entries, names the updater would confuse, and what is present but unlisted.
std::vector<Disagreement> auditInstallation(const std::string& installDirUtf8, Progress& progress);

}  // namespace patchkit
