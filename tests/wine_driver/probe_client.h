#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "tests/wine_driver/dialog.h"

namespace wine_driver {

class CasePrefix;
class WineProgram;

// Runs the probe in a case's prefix, beside the updater. Each call is one run of the probe
// with the given steps (see tests/e2e/probe/probe.cpp); the dialogs it dumped come back. The
// dialogs looked for are those of the watched program's process alone.
class Probe {
public:
    static constexpr std::chrono::milliseconds kDialogTimeout{20000};

    explicit Probe(CasePrefix& prefix) : prefix_(prefix) {}

    // From now on the windows looked for are this program's; false when its process id cannot
    // be had (it did not start).
    bool watch(WineProgram& program);

    struct Result {
        bool timedOut = false;  // the probe itself did not end
        int exitCode = -1;      // 2: one of its steps timed out
        std::string output;
        std::vector<Dialog> dialogs;
    };
    Result run(const std::vector<std::string>& steps, std::chrono::milliseconds timeout = std::chrono::seconds(60));

    // The first visible dialog or message box of the watched program.
    std::optional<Dialog> waitForDialog(std::chrono::milliseconds timeout = kDialogTimeout);
    // The first visible message box of the watched program; the progress dialog, shown or
    // not, is passed over.
    std::optional<Dialog> waitForMessageBox(std::chrono::milliseconds timeout = kDialogTimeout);
    // Does `action` (steps such as {"press", "1"}) on `current` and catches the dialog that
    // comes next, watching from before the action: a dialog that lives for a few
    // milliseconds is still seen.
    std::optional<Dialog> actAndCatchNext(const Dialog& current, const std::vector<std::string>& action,
                                          std::chrono::milliseconds timeout = kDialogTimeout);

    // Does `action` on `current` and waits for the message box that comes after it, passing
    // over the progress dialog.
    std::optional<Dialog> actAndWaitForMessageBox(const Dialog& current, const std::vector<std::string>& action,
                                                  std::chrono::milliseconds timeout = kDialogTimeout);

    // As actAndCatchNext, and the dialog's thread is then suspended where it stands, so that
    // a dialog which the updater takes down at once stays on screen to be looked at.
    // `heldThread` names the thread for release; "0" when the dialog came and went within one
    // of the slices the updater is let run, and only its record could be taken.
    std::optional<Dialog> actAndHoldNext(const Dialog& current, const std::vector<std::string>& action,
                                         std::string& heldThread,
                                         std::chrono::milliseconds timeout = kDialogTimeout);
    bool release(const std::string& heldThread);

    bool press(const Dialog& dialog, int id);
    bool pressKey(const Dialog& dialog, const std::string& key);  // "enter" or "esc"
    bool closeBox(const Dialog& dialog);
    bool waitUntilGone(const Dialog& dialog, std::chrono::milliseconds timeout = kDialogTimeout);

    // The caption that the system gives a message box without one, as seen in this prefix.
    std::string defaultMessageBoxCaption();
    bool setCurrentUserString(const std::string& key, const std::string& value, const std::string& data);

    // The path of a shell special folder (a CSIDL value) in the prefix; empty when unknown.
    std::string specialFolder(int csidl);

    // A shortcut file as the shell in the prefix reads it back; nullopt when there is none.
    struct Shortcut {
        std::string target, arguments, workingDirectory;
        int showCommand = 0;
    };
    std::optional<Shortcut> readShortcut(const std::string& path);

private:
    // How much longer than its own wait a run of the probe may take: Wine's start and the
    // other steps of the run.
    static constexpr std::chrono::milliseconds kSlack{40000};

    static std::optional<Dialog> firstDialog(const Result& result);
    // `use` current, the action, then a look for the next window, in one run of the probe:
    // nothing comes between the action and the look.
    Result actThen(const Dialog& current, const std::vector<std::string>& action, const std::string& look,
                   std::chrono::milliseconds timeout);

    CasePrefix& prefix_;
    std::optional<unsigned long> watched_;
    std::optional<std::string> defaultCaption_;
};

}  // namespace wine_driver
