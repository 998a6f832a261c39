#pragma once

#include <cstdint>

#include "engine/progress_dialog.h"

// The updater's two dialogs, as the run sequence uses them; the engine gets the progress
// dialog's part. Each operation stands for the Win32 call the product makes and keeps its
// result; the Windows build drives the real dialogs (app/dialogs_win32.cpp), the native build
// a terminal (app/terminal_ui.cpp), tests a fake.
namespace app {

using engine::ProgressDialog;

class UpdaterUi : public engine::ProgressDialogUi {
public:
    // DialogBoxParamA(instance, IDD_CONFIRM, no owner, confirmDialogProc, 0): 1 for OK, 0 for
    // Cancel, -1 when the dialog could not be made.
    virtual int runConfirmation() = 0;

    // CreateDialogParamA(instance, IDD_PROGRESS, no owner, progressDialogProc, 0), then
    // ShowWindow(SW_SHOW). Null when the dialog could not be made.
    virtual ProgressDialog showProgressDialog() = 0;

    // DestroyWindow(dialog).
    virtual void destroyProgressDialog(ProgressDialog dialog) = 0;

    static UpdaterUi* replace(UpdaterUi* replacement);
};

UpdaterUi& updaterUi();

}  // namespace app
