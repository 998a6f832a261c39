#include <windows.h>

#include <cstring>

#include <map>
#include <memory>

#include "app/updater.h"
#include "engine/backup_name.h"
#include "engine/run_state.h"
#include "manifest/manifests.h"
#include "manifest/package_names.h"
#include "platform/registry.h"
#include "platform/shell.h"
#include "platform/text_encoding.h"
#include "platform/win32/wide_text.h"
#include "tests/fakes/fixed_process.h"
#include "tests/fakes/recording_shell.h"
#include "tests/support/fresh_run_state.h"
#include "tests/support/registry_fixture.h"
#include "tests/wine_runner/disk_listing.h"
#include "tests/wine_runner/disk_run.h"
#include "tests/wine_runner/opened_files.h"

namespace wine_runner {
namespace {

using testing_support::HostileUpdate;
using testing_support::HostileUpdateRun;
using NameKeys = std::function<std::string(const std::string& name)>;

std::wstring wide(const std::string& cp932) { return platform::win32::wideOf(cp932, CP_ACP); }

HostileUpdateRun::Tree treeOf(const DiskListing& listing) {
    HostileUpdateRun::Tree tree;
    for (const auto& [name, item] : listing) {
        std::string key = keyOfListedName(name);
        if (item.folder) {
            tree.folders.insert(key);
            continue;
        }
        tree.files[key] = item.content;
        tree.names[key] = platform::win32::narrowOf(name, CP_ACP);
    }
    return tree;
}

std::string contentOf(const HostileUpdateRun::Tree& tree, const std::string& key) {
    auto found = tree.files.find(key);
    return found == tree.files.end() ? std::string() : found->second;
}

// Asks the disk while the folder stands.
NameKeys keysNow(const std::string& folder, const DiskListing& listing) {
    auto opened = std::make_shared<OpenedFiles>(folder, listing);
    return [opened](const std::string& name) { return opened->keyOf(name); };
}

// Which file the update's entries, their backups and the record's name opened before the run,
// asked before anything changes: the names the judge asks about then. Any other name is
// answered as opening nothing, which makes the judge see more lost, never less.
NameKeys keysBefore(const HostileUpdate& update, const std::string& folder, const DiskListing& listing) {
    OpenedFiles opened(folder, listing);
    std::map<std::string, std::string> keys;
    auto lookUp = [&](const std::string& name) { keys.emplace(name, opened.keyOf(name)); };
    lookUp(manifest::kUninstallManifestName);
    for (const manifest::ManifestEntry& e : update.updateEntries) {
        lookUp(e.name);
        lookUp(engine::backupPathOf(e.name));
        if (manifest::isDirectoryEntry(e)) lookUp(std::string(e.name, std::strlen(e.name) - 1));
    }
    return [keys](const std::string& name) {
        auto found = keys.find(name);
        return found != keys.end() ? found->second : "<not asked before the run> " + platform::utf8OrRawBytes(name);
    };
}

std::string withoutSeparator(std::string folder) {
    folder.pop_back();
    return folder;
}

}  // namespace

DiskRun::DiskRun(std::string root, std::string registryKey)
    : root_(std::move(root)), places_(testing_support::RunPlaces::below(root_, registryKey)) {
    for (const std::string* folder : {&places_.installFolder, &places_.dataFolder, &places_.userPrograms, &places_.commonPrograms}) {
        std::wstring relative = wide(folder->substr(root_.size()));
        for (size_t end = relative.find(L'\\'); end != std::wstring::npos; end = relative.find(L'\\', end + 1)) {
            placesFolders_.insert(relative.substr(0, end));
        }
    }
    const std::string& value = places_.installFolder;
    testing_support::writeCurrentUserValue(places_.registryKey.c_str(), places_.registryValue.c_str(), platform::kRegSz, value.c_str(),
                                           static_cast<uint32_t>(value.size() + 1));
}

DiskRun::~DiskRun() {
    removeDiskTree(wide(root_));
    testing_support::deleteCurrentUserKey(places_.registryKey.c_str());
}

HostileUpdateRun DiskRun::run(const HostileUpdate& update, const std::vector<CaseTwin>& twins) {
    HostileUpdateRun run;
    run.places = places_;
    const std::wstring root = wide(root_);
    // The places' names relative to the root, where the listing of the root holds them.
    auto part = [&](const DiskListing& everything, const std::string& folder) { return below(everything, wide(folder.substr(root_.size()))); };
    removeDiskTree(root, placesFolders_);
    layOutHostileUpdate(withTwinsRecorded(update, twins), places_);
    placeCaseTwins(twins, places_.installFolder);

    const DiskListing before = listDisk(root), installedBefore = part(before, places_.installFolder), payload = part(before, places_.dataFolder);
    run.installedBefore = treeOf(installedBefore);
    run.payload = treeOf(payload);
    run.installedKeyBefore = keysBefore(update, places_.installFolder, installedBefore);
    run.recordBefore = contentOf(run.installedBefore, run.installedKeyBefore(manifest::kUninstallManifestName));
    {
        testing_support::FreshRunState runState;
        fakes::FixedProcess process(places_.updateFolder + "Update.exe", update.removal ? "\"Update.exe\" -u" : "\"Update.exe\"");
        fakes::RecordingShell shell;
        shell.answer(platform::kCsidlPrograms, withoutSeparator(places_.userPrograms));
        shell.answer(platform::kCsidlCommonPrograms, withoutSeparator(places_.commonPrograms));
        testing_support::runWithScriptedDialogs(update, app::runUpdater, run);
        run.recordInMemory = testing_support::recordAsSaved(engine::runState().uninstallManifest);
    }

    const DiskListing after = listDisk(root), installedAfter = part(after, places_.installFolder);
    run.changes = changesBetween(before, after, root_);
    run.installedAfter = treeOf(installedAfter);
    run.userProgramsAfter = treeOf(part(after, places_.userPrograms));
    run.commonProgramsAfter = treeOf(part(after, places_.commonPrograms));
    auto everything = std::make_shared<OpenedFiles>(root_, after);
    run.pathKeyOf = [everything](const std::string& path) { return everything->keyOfPath(path); };
    run.installedKeyAfter = keysNow(places_.installFolder, installedAfter);
    run.payloadKeyOf = keysNow(places_.dataFolder, payload);
    run.recordAfter = contentOf(run.installedAfter, run.installedKeyAfter(manifest::kUninstallManifestName));
    manifest::UninstallManifest reloaded;
    run.recordLoadsAfter =
        manifest::loadUninstallManifest(places_.installFolder + manifest::kUninstallManifestName, 0, reloaded) == manifest::LoadResult::Loaded;
    return run;
}

}  // namespace wine_runner
