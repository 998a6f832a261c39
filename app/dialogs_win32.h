#pragma once

#include <windows.h>

namespace app {

// The dialog procedures of the templates IDD_CONFIRM and IDD_PROGRESS. Both return FALSE for
// every message, WM_INITDIALOG included, so the dialog manager sets no initial focus, and
// look only at the low word of a WM_COMMAND's wParam.

// Fills the caption, the sentence and the note from UpdateHeader; command 1 ends the dialog
// with 1, command 2 with 0.
INT_PTR CALLBACK confirmDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Disables Cancel in RemovalMode; command 2 sets cancelRequested and leaves the dialog up.
INT_PTR CALLBACK progressDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace app
