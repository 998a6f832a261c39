#include "tools/patchkit/dry_run/run.h"

#include <algorithm>

#include "app/updater.h"
#include "engine/run_state.h"
#include "manifest/package_names.h"
#include "platform/file_path.h"
#include "platform/seam.h"
#include "tools/patchkit/dry_run/services.h"
#include "tools/patchkit/file_transfer.h"
#include "tools/patchkit/host_paths.h"

namespace patchkit {
namespace {

bool folderPathOf(const std::string& utf8, std::string& folder, std::string& why) {
    if (!filePathOf(utf8, folder, why)) return false;
    platform::ensureTrailingSeparator(folder);
    return true;
}

}  // namespace

bool dryRunFoldersOf(const DryRunRequest& request, DryRunFolders& folders, std::string& why) {
    folders.removal = request.removal;
    return folderPathOf(request.packageDirUtf8, folders.package, why) && folderPathOf(request.installDirUtf8, folders.install, why);
}

// The record grows by at most one entry per update entry, and the update manifest takes 280
// bytes per entry too: the record after the run is shorter than the two files together.
overlay::Limits dryRunLimits(const DryRunFolders& folders) {
    overlay::Limits limits;
    uint64_t record = 0, update = 0;
    sizeOfFile(folders.install + manifest::kUninstallManifestName, record);
    sizeOfFile(folders.package + manifest::kUpdateManifestName, update);
    limits.bytesPerFile = std::max(limits.bytesPerFile, record + update);
    limits.bytesInAll = std::max(limits.bytesInAll, limits.bytesPerFile);
    return limits;
}

void runDryRun(const DryRunFolders& folders, overlay::FilesOverlay& files, Progress& progress, DryRunObservation& seen) {
    platform::Files& real = platform::files();
    std::string ignored;
    readWholeFile(folders.install + manifest::kUninstallManifestName, seen.recordBefore, ignored);

    files.onChange([&seen](const overlay::Change& change) {
        RunEvent event{RunEvent::FileChange};
        event.change = change;
        seen.timeline.push_back(event);
    });
    RecordingUpdaterUi dialogs(seen.timeline, progress);
    RecordingMessageBoxes messageBoxes(seen.timeline);
    InstallationRegistry registry(folders.install);
    PackageProcess process(folders.package + "Update.exe", folders.removal);
    RecordingShell shell(platform::shell(), seen.timeline);
    seen.userPrograms = shell.specialFolderPath(platform::kCsidlPrograms);
    seen.commonPrograms = shell.specialFolderPath(platform::kCsidlCommonPrograms);
    platform::ensureTrailingSeparator(seen.userPrograms);
    platform::ensureTrailingSeparator(seen.commonPrograms);
    platform::ScopedService<platform::Files> filesInPlace(files);
    platform::ScopedService<app::UpdaterUi> dialogsInPlace(dialogs);
    platform::ScopedService<platform::Ui> messageBoxesInPlace(messageBoxes);
    platform::ScopedService<platform::Registry> registryInPlace(registry);
    platform::ScopedService<platform::Process> processInPlace(process);
    platform::ScopedService<platform::Shell> shellInPlace(shell);

    engine::RunState run;
    platform::ScopedService<engine::RunState> stateInPlace(run);
    seen.outcome = app::runUpdater();

    seen.removal = run.RemovalMode;
    seen.installFolder = run.InstallFolder;
    seen.recordPath = run.uninstallManifestPath;
    const manifest::UpdateManifest& update = run.updateManifest;
    if (update.entries) seen.updateEntries.assign(update.entries.get(), update.entries.get() + update.header.entryCount);
    for (const manifest::ManifestEntry& entry : seen.updateEntries) {
        uint32_t attributes = real.getFileAttributes((seen.installFolder + entry.name).c_str());
        seen.folderBefore.push_back(attributes != platform::kInvalidFileAttributes && (attributes & platform::kFileAttributeDirectory));
    }
    if (!seen.recordPath.empty()) files.contentOf(seen.recordPath, seen.recordAfter);
    files.onChange(nullptr);
}

}  // namespace patchkit
