#pragma once

// The progress dialog's Cancel, wherever the press comes from: the dialog procedure on
// Windows, Ctrl-C on the native build's terminal.
namespace app {

// A removal cannot be undone halfway, so its progress dialog offers no Cancel.
bool progressCanBeCancelled();

// What a press of Cancel does: sets cancelRequested, which the engine reads after its next
// pump. In RemovalMode nothing.
void requestCancel();

}  // namespace app
