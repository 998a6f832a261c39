#include "app/updater.h"

#include <string>

#include "app/completion.h"
#include "app/messages.h"
#include "app/path_helpers.h"
#include "app/startup.h"
#include "app/updater_ui.h"
#include "engine/apply_update.h"
#include "engine/engine_messages.h"
#include "engine/path_limit.h"
#include "engine/rollback.h"
#include "engine/run_state.h"
#include "manifest/package_names.h"
#include "platform/file_path.h"
#include "platform/process.h"
#include "platform/ui.h"

namespace app {
namespace {

void show(const char* text, const char* caption) { platform::ui().messageBox(text, caption, platform::kMbOk); }

// Both folders are joined to every entry's name into the system's 260-byte paths; a folder
// that does not fit by itself ends the run before anything is shown or changed, named in the
// same message the engine gives for an entry's path.
bool foldersFit(const engine::RunState& run) {
    for (const std::string* folder : {&run.UpdateDataFolder, &run.InstallFolder}) {
        if (engine::fitsPathBuffer(*folder)) continue;
        show((*folder + engine::messages::kPathTooLongSuffix).c_str(), nullptr);
        return false;
    }
    return true;
}

}  // namespace

RunOutcome runUpdater() {
    CRegistry installationKey;
    if (!startUp(platform::process().getCommandLine(), installationKey)) return RunOutcome::StartUpRefused;
    return runSequence();
}

RunOutcome runSequence() {
    UpdaterUi& ui = updaterUi();

    // Declining ends the run before anything is built, shown, changed or saved. A dialog
    // that could not be made (-1) counts as declining too: nothing happens to an
    // installation without the user's yes.
    int confirmation = ui.runConfirmation();
    if (confirmation == 0 || confirmation == -1) return RunOutcome::Declined;

    engine::RunState& run = engine::runState();
    run.UpdateDataFolder = run.UpdateFolder + manifest::kPayloadFolderName;
    platform::ensureTrailingSeparator(run.UpdateDataFolder);
    run.InstallFolder = run.installationValue;
    platform::ensureTrailingSeparator(run.InstallFolder);
    if (!foldersFit(run)) return RunOutcome::FoldersTooLong;

    // The sequence pumps no messages of its own: the engine serves the dialog between chunks.
    ProgressDialog progress = ui.showProgressDialog();
    bool succeeded = engine::applyUpdate(ui, progress, run.InstallFolder, run.UpdateDataFolder);
    ui.destroyProgressDialog(progress);

    RunOutcome outcome;
    if (succeeded) {
        show(run.RemovalMode ? messages::kRemovalCompleted : messages::kUpdateCompleted, messages::kCompletedCaption);
        completeUpdate(run.InstallFolder);
        outcome = RunOutcome::Succeeded;
    } else if (run.RemovalMode) {
        // Deleted files stay deleted: nothing was kept to bring them back.
        show(messages::kRemovalFailed, nullptr);
        outcome = RunOutcome::Failed;
    } else {
        engine::rollbackChanges();
        show(messages::kUpdateFailed, nullptr);
        outcome = RunOutcome::RolledBack;
    }
    // Whatever the outcome: the record keeps what the engine changed in it before a failure.
    manifest::saveUninstallManifest(run.uninstallManifestPath, run.uninstallManifest);
    return outcome;
}

}  // namespace app
