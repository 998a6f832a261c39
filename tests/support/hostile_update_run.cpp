#include "tests/support/hostile_update_run.h"

#include "engine/apply_update.h"
#include "engine/run_state.h"
#include "manifest/manifests.h"
#include "manifest/package_names.h"
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

// Nothing of it exists on disk: the whole run lives in the overlay.
const std::string kRoot = kHostileRoot;
constexpr char kRegistryKey[] = "Software\\Hostile";
constexpr char kRegistryValue[] = "Folder";

std::string dataFolderOf(const HostileUpdate& update) { return update.updateFolder + manifest::kPayloadFolderName + "\\"; }

void write(const std::string& path, const std::string& bytes) {
    support::CFile file;
    if (file.open(path, support::FileOpenMode::Write)) file.write(bytes.data(), static_cast<uint32_t>(bytes.size()));
}

// A file below a folder, with the folders on its way.
void place(const std::string& folder, const std::string& name, const std::string& bytes) {
    engine::createDirectoryChain(folder + name.substr(0, name.size() - support::fileNameOf(name).size()));
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
            continue;
        }
        tree.files[key] = contentOf(files, folder + item.name);
        tree.names[key] = item.name;
    }
    return tree;
}

void layOut(const HostileUpdate& update) {
    for (const std::string& folder : {update.installFolder, dataFolderOf(update), HostileUpdateRun::kUserPrograms, HostileUpdateRun::kCommonPrograms}) {
        engine::createDirectoryChain(folder);
    }
    for (const std::string& folder : update.installedFolders) engine::createDirectoryChain(update.installFolder + folder);
    for (const HostileUpdate::File& file : update.installedFiles) {
        place(update.installFolder, file.name, file.content);
        if (file.readOnly) platform::files().setFileAttributes((update.installFolder + file.name).c_str(), platform::kFileAttributeReadOnly);
    }
    for (const HostileUpdate::File& file : update.payload) place(dataFolderOf(update), file.name, file.content);

    manifest::UninstallHeader record = update.recordHeader;
    for (const manifest::ManifestEntry& e : update.recordEntries) {
        ++record.entryCount;
        if (!manifest::isDirectoryEntry(e)) ++record.fileCount, record.totalBytes += e.size;
    }
    write(update.installFolder + manifest::kUninstallManifestName, manifestBytes(record, update.recordEntries));
    manifest::UpdateHeader header = updateHeader(kRegistryKey, kRegistryValue, static_cast<uint32_t>(update.updateEntries.size()));
    std::memcpy(header.shortcuts, update.updateHeader.shortcuts, sizeof header.shortcuts);
    setText(header.carriedStrings[0], "1.1");
    write(update.updateFolder + manifest::kUpdateManifestName, manifestBytes(header, update.updateEntries));

    // The shortcut folder wherever its template leads, with the installed slots' links in it.
    std::string_view argument(record.templateArgument);
    support::ExpandedTemplate folder = support::expandTemplate(record.shortcutFolderTemplate, argument);
    if (!folder.usable()) return;
    for (auto [made, programs] : {std::pair{update.userShortcutFolder, HostileUpdateRun::kUserPrograms},
                                  std::pair{update.commonShortcutFolder, HostileUpdateRun::kCommonPrograms}}) {
        if (!made) continue;
        engine::createDirectoryChain(programs + folder.text);
        for (const manifest::ShortcutSlot& slot : record.shortcuts) {
            support::ExpandedTemplate name = support::expandTemplate(slot.nameTemplate, argument);
            if (slot.nameTemplate[0] && name.usable()) write(programs + folder.text + name.text + ".lnk", "old link");
        }
    }
}

// The record as a save of it writes, made in an overlay of its own.
std::string savedApart(const manifest::UninstallManifest& record) {
    overlay::FilesOverlay files(platform::files());
    platform::ScopedService<platform::Files> apart(files);
    engine::createDirectoryChain(kRoot);
    manifest::saveUninstallManifest(kRoot + manifest::kUninstallManifestName, record);
    return contentOf(files, kRoot + manifest::kUninstallManifestName);
}

std::string withoutSeparator(std::string folder) {
    folder.pop_back();
    return folder;
}

}  // namespace

const std::string HostileUpdateRun::kUserPrograms = kRoot + "user\\Start Menu\\Programs\\";
const std::string HostileUpdateRun::kCommonPrograms = kRoot + "all\\Start Menu\\Programs\\";

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

HostileUpdateRun runHostileUpdate(const HostileUpdate& update, const std::function<app::RunOutcome()>& program) {
    HostileUpdateRun run;
    overlay::FilesOverlay files(platform::files());
    platform::ScopedService<platform::Files> inMemory(files);
    layOut(update);
    run.installedBefore = treeOf(files, update.installFolder);
    run.payload = treeOf(files, dataFolderOf(update));
    run.recordBefore = contentOf(files, update.installFolder + manifest::kUninstallManifestName);

    FreshRunState runState;
    patchkit::PackageProcess process(update.updateFolder + "Update.exe", update.removal);
    patchkit::InstallationRegistry registry(update.installFolder);
    platform::ScopedService<platform::Process> processInPlace(process);
    platform::ScopedService<platform::Registry> registryInPlace(registry);
    fakes::FileServiceShell shell({{platform::kCsidlPrograms, withoutSeparator(HostileUpdateRun::kUserPrograms)},
                                   {platform::kCsidlCommonPrograms, withoutSeparator(HostileUpdateRun::kCommonPrograms)}});
    fakes::ScriptedUpdaterUi ui;
    ui.confirmation = update.confirmation;
    ui.cancelAtPump = update.cancelAtPump;
    fakes::RecordingMessageBoxes boxes;
    files.onChange([&](const overlay::Change& change) { run.changes.push_back(change); });
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
    files.onChange(nullptr);

    run.boxes = boxes.boxes;
    run.statusTexts = ui.statusTexts;
    run.confirmed = ui.count("showProgressDialog") > 0;
    run.userProgramsAfter = treeOf(files, HostileUpdateRun::kUserPrograms);
    run.commonProgramsAfter = treeOf(files, HostileUpdateRun::kCommonPrograms);
    run.installedAfter = treeOf(files, update.installFolder);
    run.recordAfter = contentOf(files, update.installFolder + manifest::kUninstallManifestName);
    manifest::UninstallManifest reloaded;
    run.recordLoadsAfter =
        manifest::loadUninstallManifest(update.installFolder + manifest::kUninstallManifestName, 0, reloaded) == manifest::LoadResult::Loaded;
    run.recordInMemory = savedApart(engine::runState().uninstallManifest);
    return run;
}

}  // namespace testing_support
