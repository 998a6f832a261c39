#pragma once

#include <string>
#include <vector>

#include "tools/overlay/files_overlay.h"

namespace patchkit {

// What the updater did during a dry run, in the order it did it: what it showed, what it
// changed in the (in-memory) file system, and the shortcuts it made. Texts and paths are code
// page 932, as the updater passed them.
struct RunEvent {
    enum Kind {
        Confirmation,       // the confirmation dialog, answered OK
        ProgressShown,
        StatusText,         // the progress dialog's status line
        ProgressDestroyed,
        MessageBox,
        FileChange,
        ShortcutLink,       // a shortcut file written
    };
    explicit RunEvent(Kind k) : kind(k) {}

    Kind kind;
    std::string text;     // StatusText and MessageBox; ShortcutLink: the link's path
    bool hasCaption = false;
    std::string caption;  // MessageBox
    overlay::Change change;
    // ShortcutLink
    std::string target;
    std::string arguments;
    std::string workingDirectory;
    int showCommand = 0;
    bool made = false;
};

using Timeline = std::vector<RunEvent>;

}  // namespace patchkit
