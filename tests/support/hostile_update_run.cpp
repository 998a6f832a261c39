#include "tests/support/hostile_update_run.h"

#include "engine/apply_update.h"
#include "engine/run_state.h"
#include "manifest/manifests.h"
#include "manifest/package_names.h"
#include "platform/file_path.h"
#include "platform/seam.h"
#include "platform/shell.h"
#include "support/file.h"
#include "support/text_template.h"
#include "tests/fakes/file_service_shell.h"
#include "tests/fakes/recording_files.h"
#include "tests/fakes/scripted_updater_ui.h"
#include "tests/support/manifest_builder.h"
#include "tests/support/fresh_run_state.h"
#include "tools/patchkit/dry_run/services.h"
#include "tools/patchkit/entry_names.h"

namespace testing_support {
namespace {

// The overlay runner's: nothing of it exists on disk, the whole run lives in the overlay.
const std::string kRoot = kHostileRoot;

std::string dataFolderOf(const HostileUpdate& update) { return update.updateFolder + manifest::kPayloadFolderName + "\\"; }

void write(const std::string& path, const std::string& bytes) {
    support::CFile file;
    if (file.open(path, support::FileOpenMode::Write)) file.write(bytes.data(), static_cast<uint32_t>(bytes.size()));
}

// A file below a folder, with the folders on its way.
void place(const std::string& folder, const std::string& name, const std::string& bytes) {
    engine::createDirectoryChain(folder + name.substr(0, name.size() - platform::fileNameOf(name).size()));
    write(folder + name, bytes);
}

std::string contentOf(overlay::FilesOverlay& files, const std::string& path) {
    std::string bytes;
    return files.contentOf(path, bytes) ? bytes : std::string();
}

HostileUpdateRun::Tree treeOf(overlay::FilesOverlay& files, const std::string& folder) {
    HostileUpdateRun::Tree tree;
    std::vector<overlay::TreeItem> items;
    files.tree(folder, items);
    for (const overlay::TreeItem& item : items) {
        std::string key = patchkit::diskKeyOf(item.name);
        if (item.folder) {
            tree.folders.insert(key);
            tree.folderNames[key] = item.name;
            continue;
        }
        tree.files[key] = contentOf(files, folder + item.name);
        tree.names[key] = item.name;
    }
    return tree;
}

std::string withoutSeparator(std::string folder) {
    folder.pop_back();
    return folder;
}

}  // namespace

RunPlaces RunPlaces::below(const std::string& root, const std::string& registryKey) {
    RunPlaces places;
    places.installFolder = root + "product\\";
    places.updateFolder = root + "update\\";
    places.dataFolder = places.updateFolder + manifest::kPayloadFolderName + "\\";
    places.userPrograms = root + "user\\Start Menu\\Programs\\";
    places.commonPrograms = root + "all\\Start Menu\\Programs\\";
    places.registryKey = registryKey;
    places.registryValue = "Folder";
    return places;
}

void layOutHostileUpdate(const HostileUpdate& update, const RunPlaces& places) {
    for (const std::string& folder : {places.installFolder, places.dataFolder, places.userPrograms, places.commonPrograms}) {
        engine::createDirectoryChain(folder);
    }
    for (const std::string& folder : update.installedFolders) engine::createDirectoryChain(places.installFolder + folder);
    for (const HostileUpdate::File& file : update.installedFiles) {
        place(places.installFolder, file.name, file.content);
        if (file.readOnly) platform::files().setFileAttributes((places.installFolder + file.name).c_str(), platform::kFileAttributeReadOnly);
    }
    for (const HostileUpdate::File& file : update.payload) place(places.dataFolder, file.name, file.content);

    manifest::UninstallHeader record = update.recordHeader;
    for (const manifest::ManifestEntry& e : update.recordEntries) {
        ++record.entryCount;
        if (!manifest::isDirectoryEntry(e)) ++record.fileCount, record.totalBytes += e.size;
    }
    write(places.installFolder + manifest::kUninstallManifestName, manifestBytes(record, update.recordEntries));
    manifest::UpdateHeader header = updateHeader(places.registryKey, places.registryValue, static_cast<uint32_t>(update.updateEntries.size()));
    std::memcpy(header.shortcuts, update.updateHeader.shortcuts, sizeof header.shortcuts);
    setText(header.carriedStrings[0], "1.1");
    write(places.updateFolder + manifest::kUpdateManifestName, manifestBytes(header, update.updateEntries));

    // The shortcut folder wherever its template leads, with the installed slots' links in it.
    std::string_view argument(record.templateArgument);
    support::ExpandedTemplate folder = support::expandTemplate(record.shortcutFolderTemplate, argument);
    if (!folder.usable()) return;
    for (auto [made, programs] : {std::pair{update.userShortcutFolder, places.userPrograms},
                                  std::pair{update.commonShortcutFolder, places.commonPrograms}}) {
        if (!made) continue;
        engine::createDirectoryChain(programs + folder.text);
        for (const manifest::ShortcutSlot& slot : record.shortcuts) {
            support::ExpandedTemplate name = support::expandTemplate(slot.nameTemplate, argument);
            if (slot.nameTemplate[0] && name.usable()) write(programs + folder.text + name.text + ".lnk", "old link");
        }
    }
}

std::string recordAsSaved(const manifest::UninstallManifest& record) {
    overlay::FilesOverlay files(platform::files());
    platform::ScopedService<platform::Files> apart(files);
    engine::createDirectoryChain(kRoot);
    manifest::saveUninstallManifest(kRoot + manifest::kUninstallManifestName, record);
    return contentOf(files, kRoot + manifest::kUninstallManifestName);
}

namespace {

bool isBackupMove(const overlay::Change& change) {
    return change.kind == overlay::Change::FileMoved && patchkit::diskKeyOf(change.to) == patchkit::diskKeyOf(change.path) + ".BAK";
}

}  // namespace

bool HostileUpdateRun::backedUpAFreshCopy() const {
    std::set<std::string> written;
    for (const overlay::Change& change : changes) {
        if (change.kind == overlay::Change::FileCreated || change.kind == overlay::Change::FileEmptied) written.insert(patchkit::diskKeyOf(change.path));
        if (isBackupMove(change) && written.count(patchkit::diskKeyOf(change.path))) return true;
    }
    return false;
}

bool HostileUpdateRun::movedABackupOn() const {
    std::set<std::string> backups;
    for (const overlay::Change& change : changes) {
        if (!isBackupMove(change)) continue;
        if (backups.count(patchkit::diskKeyOf(change.path))) return true;
        backups.insert(patchkit::diskKeyOf(change.to));
    }
    return false;
}

void runWithScriptedDialogs(const HostileUpdate& update, const std::function<app::RunOutcome()>& program, HostileUpdateRun& run) {
    fakes::ScriptedUpdaterUi ui;
    ui.confirmation = update.confirmation;
    ui.cancelAtPump = update.cancelAtPump;
    fakes::RecordingMessageBoxes boxes;
    if (update.failedCall.empty()) {
        run.outcome = program();
    } else {
        fakes::RecordingFiles faults;
        faults.failCall(update.failedCall, update.failedCallNumber);
        faults.whenFailing = [&](const std::string& name) {
            run.faultStruck = true;
            // The call's arguments too: an open that only asks which file is there is not the
            // open of a file to write.
            const fakes::RecordingFiles::Call& call = faults.calls.back();
            run.faultStruckAt = name + " " + call.path + " " + std::to_string(call.a) + " " + std::to_string(call.c);
            run.faultStruckAfterTheCopy = ui.count("destroyProgressDialog") > 0;
        };
        run.outcome = program();
    }
    run.boxes = boxes.boxes;
    run.statusTexts = ui.statusTexts;
    run.confirmed = ui.count("showProgressDialog") > 0;
}

HostileUpdateRun runHostileUpdate(const HostileUpdate& update, const std::function<app::RunOutcome()>& program) {
    HostileUpdateRun run;
    run.places = RunPlaces::below(kRoot, "Software\\Hostile");
    // The installation and the update where the case draws them, at lengths near the limits.
    run.places.installFolder = update.installFolder;
    run.places.updateFolder = update.updateFolder;
    run.places.dataFolder = dataFolderOf(update);
    const RunPlaces& places = run.places;
    overlay::FilesOverlay files(platform::files());
    platform::ScopedService<platform::Files> inMemory(files);
    layOutHostileUpdate(update, places);
    run.installedBefore = treeOf(files, places.installFolder);
    run.payload = treeOf(files, places.dataFolder);
    run.recordBefore = contentOf(files, places.installFolder + manifest::kUninstallManifestName);
    run.updateManifest = contentOf(files, places.updateFolder + manifest::kUpdateManifestName);

    FreshRunState runState;
    patchkit::PackageProcess process(places.updateFolder + "Update.exe", update.removal);
    patchkit::InstallationRegistry registry(places.installFolder);
    platform::ScopedService<platform::Process> processInPlace(process);
    platform::ScopedService<platform::Registry> registryInPlace(registry);
    fakes::FileServiceShell shell({{platform::kCsidlPrograms, withoutSeparator(places.userPrograms)},
                                   {platform::kCsidlCommonPrograms, withoutSeparator(places.commonPrograms)}});
    files.onChange([&](const overlay::Change& change) { run.changes.push_back(change); });
    runWithScriptedDialogs(update, program, run);
    files.onChange(nullptr);

    run.userProgramsAfter = treeOf(files, places.userPrograms);
    run.commonProgramsAfter = treeOf(files, places.commonPrograms);
    run.installedAfter = treeOf(files, places.installFolder);
    run.recordAfter = contentOf(files, places.installFolder + manifest::kUninstallManifestName);
    manifest::UninstallManifest reloaded;
    run.recordLoadsAfter =
        manifest::loadUninstallManifest(places.installFolder + manifest::kUninstallManifestName, 0, reloaded) == manifest::LoadResult::Loaded;
    run.recordInMemory = recordAsSaved(engine::runState().uninstallManifest);
    return run;
}

}  // namespace testing_support
