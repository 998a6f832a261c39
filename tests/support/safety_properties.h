#pragma once

#include <string>
#include <vector>

#include "tests/support/hostile_update.h"
#include "tests/support/hostile_update_run.h"

// The updater's promises, judged on one run of a hostile update. Each function returns what
// it found broken, in words; nothing when the run kept its promises.
namespace testing_support {

// Nothing lost: every file's content from before the run is still in the installation (at its
// path, or at its path + ".bak" after a success; at its own path after a failed or cancelled
// run, or under its ".bak" name where the failed call struck the rollback), except an older
// X.bak that the new backup of an X that existed replaced. A removal may delete what it lists.
// Nothing outside: nothing was created, written, moved or deleted outside the installation
// folder and the two shortcut folders (none where the folder's name leads out of the Programs
// folders); the data folder was only read. The record is whole: it loads, and holds the old
// bytes or those of the record the run ended with. Success is true: after a success every
// listed file holds its payload's bytes (a removal's are gone). A run that was not confirmed
// changes nothing. The older X.bak is excused only where no entry lists it; no folder moves;
// after a success every listed folder is there, unless a file held its name or one above it
// when its entry came, or the failed call was the making of a folder.
std::vector<std::string> safetyViolations(const HostileUpdate& update, const HostileUpdateRun& run);

// How two runs of one update differ in what the user or the uninstaller could tell apart: the
// messages, the installation's files and folders, the record, the shortcuts.
std::vector<std::string> differencesBetween(const HostileUpdate& update, const HostileUpdateRun& run, const HostileUpdateRun& reference);

// The updater itself (app::runUpdater) on one hostile update, judged by its promises; and held
// to the plain steps (plain_update.h) where they keep the promises, claim no short copy for
// whole, move no backup of theirs on, and the failed call, if any, struck the same operation in
// both (the guards' look-ups shift the count). Where both fail, a run that changed nothing is
// held to no more.
struct Verdict {
    std::vector<std::string> broken;
    bool succeeded = false;
    bool heldToThePlainSteps = false;
};
Verdict judgeHostileUpdate(const HostileUpdate& update);

}  // namespace testing_support
