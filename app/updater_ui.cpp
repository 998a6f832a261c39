#include "app/updater_ui.h"

namespace app {

// The build's own dialogs: app/dialogs_win32.cpp or app/terminal_ui.cpp.
UpdaterUi& systemUpdaterUi();

namespace {
UpdaterUi* replacementUpdaterUi = nullptr;
}  // namespace

UpdaterUi& updaterUi() { return replacementUpdaterUi ? *replacementUpdaterUi : systemUpdaterUi(); }

UpdaterUi* UpdaterUi::replace(UpdaterUi* replacement) {
    UpdaterUi* previous = replacementUpdaterUi;
    replacementUpdaterUi = replacement;
    return previous;
}

}  // namespace app
