#include "app/updater.h"

#include "app/startup.h"
#include "app/updater_ui.h"
#include "platform/process.h"

namespace app {

int runUpdater() {
    CRegistry installationKey;
    if (!startUp(platform::process().getCommandLine(), installationKey)) return 0;
    runSequence();
    return 0;
}

void runSequence() {
    UpdaterUi& ui = updaterUi();

    // Declining ends the run before anything is built, shown, changed or saved. A dialog
    // that could not be made (-1) counts as declining too: nothing happens to an
    // installation without the user's yes.
    int confirmation = ui.runConfirmation();
    if (confirmation == 0 || confirmation == -1) return;

    ProgressDialog progress = ui.showProgressDialog();

    // The engine goes here: applyUpdate(progress, InstallFolder, UpdateDataFolder) writes the
    // status and the position into the dialog and pumps it between chunks; the outcome
    // message, rollback or completion, and saving Uninstallinf.dat follow. Until then the
    // dialog gets the messages already waiting (it paints once) and goes, and the run
    // changes and saves nothing.
    for (int waiting = 0; waiting < 100 && ui.pumpOneMessage(); ++waiting) {
    }
    ui.destroyProgressDialog(progress);
}

}  // namespace app
