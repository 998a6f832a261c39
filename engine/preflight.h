#pragma once

#include <string>
#include <vector>

#include "manifest/manifests.h"

namespace engine {

// What the update's entries and the installation as it stands decide, found for every entry
// before the run changes anything, so that a refusal never comes after part of the update is
// in place. In either mode: a path the system would refuse (the path-too-long message). In
// removal mode, with the delete message: a file entry whose name the look-up answers with two
// files. In normal mode, for a file entry, with the backup message for its full target path: a
// folder there, or one an earlier directory entry makes; a file there whose backup would go
// over an earlier entry's fresh copy; a target that an earlier entry's backup will have taken;
// a look-up that cannot tell what is there; a name listed again that holds another file than
// the name its key first came with; a backup name the look-up answers with two files. With the
// open message: a file there whose name the look-up also answers with another file.
struct Preflight {
    // Normal mode: whether each entry's target held a file before the run, which the run then
    // moves to its backup name; nothing else is there to keep.
    std::vector<bool> fileBefore;
    // The first refusal, in the run's order: what its message names and the message's suffix;
    // no suffix when the run may start.
    std::string refusedSubject;
    const char* refusalSuffix = nullptr;
};

Preflight preflight(const manifest::UpdateManifest& update, bool removal, const std::string& installFolder, const std::string& dataFolder);

}  // namespace engine
