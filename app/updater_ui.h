#pragma once

#include <cstdint>

// The updater's two dialogs, as the run sequence and the engine use them. Each operation
// stands for the Win32 call the product makes and keeps its result; the Windows build drives
// the real dialogs (app/dialogs_win32.cpp), the native build a terminal
// (app/terminal_ui.cpp), tests a fake.
namespace app {

using ProgressDialog = void*;  // HWND of the modeless progress dialog

class UpdaterUi {
public:
    virtual ~UpdaterUi() = default;

    // DialogBoxParamA(instance, IDD_CONFIRM, no owner, confirmDialogProc, 0): 1 for OK, 0 for
    // Cancel, -1 when the dialog could not be made.
    virtual int runConfirmation() = 0;

    // CreateDialogParamA(instance, IDD_PROGRESS, no owner, progressDialogProc, 0), then
    // ShowWindow(SW_SHOW). Null when the dialog could not be made.
    virtual ProgressDialog showProgressDialog() = 0;

    // SetDlgItemTextA(dialog, IDC_STATUS, text); text is code page 932.
    virtual void setStatusText(ProgressDialog dialog, const char* text) = 0;

    // SendDlgItemMessageA(dialog, IDC_PROGRESS, PBM_SETPOS, percent, 0); the bar's range is
    // its default, 0 to 100.
    virtual void setProgress(ProgressDialog dialog, uint32_t percent) = 0;

    // At most one message of the thread's queue: PeekMessageA without removing, and when one
    // is there GetMessageA, TranslateMessage, DispatchMessageA. No dialog-message filtering,
    // so Tab, Enter and Esc do nothing on the progress dialog. True when a message was
    // dispatched. This is the only way a Cancel on the progress dialog reaches
    // cancelRequested.
    virtual bool pumpOneMessage() = 0;

    // DestroyWindow(dialog).
    virtual void destroyProgressDialog(ProgressDialog dialog) = 0;

    static UpdaterUi* replace(UpdaterUi* replacement);
};

UpdaterUi& updaterUi();

}  // namespace app
