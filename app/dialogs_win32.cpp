#include "app/dialogs_win32.h"

#include <commctrl.h>

#include "app/confirmation_texts.h"
#include "app/progress_cancel.h"
#include "engine/run_state.h"
#include "app/updater_ui.h"
#include "resources/resource_ids.h"

namespace app {

INT_PTR CALLBACK confirmDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG: {
        ConfirmationTexts texts = confirmationTexts(engine::runState().updateManifest.header, engine::runState().RemovalMode);
        SetWindowTextA(dialog, texts.caption.c_str());
        SetDlgItemTextA(dialog, IDC_MESSAGE, texts.message.c_str());
        SetDlgItemTextA(dialog, IDC_NOTE, texts.note.c_str());
        break;
    }
    case WM_COMMAND:
        // The notification code is not looked at: the dialog manager reports Enter as IDOK
        // and Esc or the close box as IDCANCEL, and those count exactly as the buttons do.
        switch (LOWORD(wParam)) {
        case IDOK:
            EndDialog(dialog, 1);
            break;
        case IDCANCEL:
            EndDialog(dialog, 0);
            break;
        }
        break;
    }
    return FALSE;
}

INT_PTR CALLBACK progressDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        if (!progressCanBeCancelled()) EnableWindow(GetDlgItem(dialog, IDCANCEL), FALSE);
        break;
    case WM_COMMAND:
        // The engine notices the flag at its next poll and returns; until then the dialog
        // stays up and Cancel stays enabled, and a second click changes nothing. The close
        // box arrives here as IDCANCEL too.
        if (LOWORD(wParam) == IDCANCEL) requestCancel();
        break;
    }
    return FALSE;
}

namespace {

// The executable's own module handle: the instance WinMain receives.
HINSTANCE moduleInstance() { return GetModuleHandleA(nullptr); }

HWND window(ProgressDialog dialog) { return static_cast<HWND>(dialog); }

class Win32UpdaterUi final : public UpdaterUi {
public:
    int runConfirmation() override {
        return static_cast<int>(
            DialogBoxParamA(moduleInstance(), MAKEINTRESOURCEA(IDD_CONFIRM), nullptr, confirmDialogProc, 0));
    }

    ProgressDialog showProgressDialog() override {
        HWND dialog = CreateDialogParamA(moduleInstance(), MAKEINTRESOURCEA(IDD_PROGRESS), nullptr, progressDialogProc, 0);
        if (dialog) ShowWindow(dialog, SW_SHOW);
        return dialog;
    }

    void setStatusText(ProgressDialog dialog, const char* text) override {
        SetDlgItemTextA(window(dialog), IDC_STATUS, text);
    }

    void setProgress(ProgressDialog dialog, uint32_t percent) override {
        SendDlgItemMessageA(window(dialog), IDC_PROGRESS, PBM_SETPOS, percent, 0);
    }

    bool pumpOneMessage() override {
        MSG message;
        if (!PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE)) return false;
        GetMessageA(&message, nullptr, 0, 0);
        TranslateMessage(&message);
        DispatchMessageA(&message);
        return true;
    }

    void destroyProgressDialog(ProgressDialog dialog) override { DestroyWindow(window(dialog)); }
};

}  // namespace

UpdaterUi& systemUpdaterUi() {
    static Win32UpdaterUi instance;
    return instance;
}

}  // namespace app
