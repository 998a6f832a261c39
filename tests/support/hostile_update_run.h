#pragma once

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "app/updater.h"
#include "manifest/manifests.h"
#include "tests/fakes/recording_ui.h"
#include "tests/support/hostile_update.h"
#include "tools/overlay/files_overlay.h"
#include "tools/patchkit/entry_names.h"

// One run of a hostile update from start to exit, over the in-memory overlay of the file
// service with Windows' rule for names: the installation, the update beside Update.exe, the
// registry value that leads from one to the other and both Programs folders are laid out in
// memory, and the run's every other service is the test's. What the run did is kept to be
// judged.
namespace testing_support {

// The places of a run, as the product names them; each folder ends in a backslash.
struct RunPlaces {
    std::string installFolder, updateFolder, dataFolder, userPrograms, commonPrograms;
    // Where the update finds the installation: a value under HKEY_CURRENT_USER.
    std::string registryKey, registryValue;

    // Every place below one root folder.
    static RunPlaces below(const std::string& root, const std::string& registryKey);
};

struct HostileUpdateRun {
    RunPlaces places;

    // Files below a folder by a key of their relative name (Windows' key in the overlay):
    // content and spelling.
    struct Tree {
        std::map<std::string, std::string> files;
        std::map<std::string, std::string> names;
        std::set<std::string> folders;
        std::map<std::string, std::string> folderNames;  // a folder's spelling, ending in '\'
    };
    Tree installedBefore, installedAfter, payload, userProgramsAfter, commonProgramsAfter;
    // The key of the file that a name leads to, relative to the installation before and after
    // the run, and to the data folder: what the judge takes for "the same file". In the overlay
    // Windows' key of the name; a run on a real disk asks the disk which file the name opens.
    std::function<std::string(const std::string& name)> installedKeyBefore = patchkit::diskKeyOf,
                                                           installedKeyAfter = patchkit::diskKeyOf, payloadKeyOf = patchkit::diskKeyOf;
    // Where a whole path lies after the run, for the changes and the places' folders: a key that
    // is below a folder's (a '/' behind it) where the path lies in that folder.
    std::function<std::string(const std::string& path)> pathKeyOf = patchkit::diskKeyOf;
    std::string recordBefore, recordAfter;
    std::string updateManifest;  // Updateinf.dat as the run found it
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

// The parts of a run that do not depend on where its files live, for a runner over another file
// service. Lays the case out through the file service in force: the installation with its
// record, the update with its manifest and payload, and the shortcut folders with the installed
// slots' links; the registry value is the caller's to make.
void layOutHostileUpdate(const HostileUpdate& update, const RunPlaces& places);
// Runs `program` with the case's dialogs, its answers and its failed call in place, and keeps in
// `run` what they saw: the outcome, the messages, the status lines, where the fault struck.
void runWithScriptedDialogs(const HostileUpdate& update, const std::function<app::RunOutcome()>& program, HostileUpdateRun& run);
// The record as a save of it writes, made in memory.
std::string recordAsSaved(const manifest::UninstallManifest& record);

}  // namespace testing_support
