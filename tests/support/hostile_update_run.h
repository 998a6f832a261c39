#pragma once

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "app/updater.h"
#include "tests/fakes/recording_ui.h"
#include "tests/support/hostile_update.h"
#include "tools/overlay/files_overlay.h"

// One run of a hostile update from start to exit, over the in-memory overlay of the file
// service with Windows' rule for names: the installation, the update beside Update.exe, the
// registry value that leads from one to the other and both Programs folders are laid out in
// memory, and the run's every other service is the test's. What the run did is kept to be
// judged.
namespace testing_support {

struct HostileUpdateRun {
    // The places of the run, as the product names them; each folder ends in a backslash.
    static const std::string kUserPrograms, kCommonPrograms;

    // Files below a folder by Windows' key of their relative name: content and spelling.
    struct Tree {
        std::map<std::string, std::string> files;
        std::map<std::string, std::string> names;
        std::set<std::string> folders;
    };
    Tree installedBefore, installedAfter, payload, userProgramsAfter, commonProgramsAfter;
    std::string recordBefore, recordAfter;
    bool recordLoadsAfter = false;
    // The record as the run held it at the end, saved apart: what the run's own save writes.
    std::string recordInMemory;

    std::vector<fakes::RecordingMessageBoxes::Box> boxes;
    bool confirmed = false;                // the progress dialog was shown
    std::vector<std::string> statusTexts;  // the status lines shown, in order
    std::vector<overlay::Change> changes;
    bool faultStruck = false;
    std::string faultStruckAt;  // the failed call, its path and its arguments
    bool faultStruckAfterTheCopy = false;  // after the progress dialog went: rollback, completion or save

    app::RunOutcome outcome = app::RunOutcome::StartUpRefused;
    bool succeeded() const { return outcome == app::RunOutcome::Succeeded; }
    // Whether the run moved a file it had itself written to that file's ".bak" name: a second
    // backup, of a fresh copy. What such a run leaves beside the files differs in copies only.
    bool backedUpAFreshCopy() const;
    // Whether the run moved a backup it had made on to a ".bak.bak" name, where neither its
    // success nor its rollback looks: what comes of that rests on what later entries do.
    bool movedABackupOn() const;
};

// Lays the case out and runs `program` (app::runUpdater, or a reference written plainly) on it.
HostileUpdateRun runHostileUpdate(const HostileUpdate& update, const std::function<app::RunOutcome()>& program);

}  // namespace testing_support
