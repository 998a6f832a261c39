#pragma once

#include <cstdint>

namespace engine {

using ProgressDialog = void*;  // HWND of the modeless progress dialog

// The three things the engine does to the progress dialog while it works. The run sequence
// hands in the dialogs it uses (the real ones on Windows, the terminal on the native build);
// a dry run hands in one that only records.
class ProgressDialogUi {
public:
    virtual ~ProgressDialogUi() = default;

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
};

}  // namespace engine
