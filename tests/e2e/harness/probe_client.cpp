#include "tests/e2e/harness/probe_client.h"

#include <sstream>

#include "tests/e2e/harness/session.h"

namespace e2e {
namespace {

std::string timeoutArgument(std::chrono::milliseconds timeout) { return std::to_string(timeout.count()); }

}  // namespace

Probe::Result Probe::run(const std::vector<std::string>& steps, std::chrono::milliseconds timeout) {
    std::vector<std::string> arguments{"--process", "Update.exe"};
    arguments.insert(arguments.end(), steps.begin(), steps.end());
    Completed completed = session_.run(kWindowsPath, arguments, timeout);
    Result result;
    result.timedOut = completed.timedOut;
    result.exitCode = completed.exitCode;
    result.output = completed.out;
    result.dialogs = parseDialogs(completed.out);
    return result;
}

std::optional<Dialog> Probe::waitForDialog(std::chrono::milliseconds timeout) {
    Result result = run({"find", timeoutArgument(timeout), "dump"});
    if (result.exitCode != 0 || result.dialogs.empty()) return std::nullopt;
    return result.dialogs.front();
}

std::optional<Dialog> Probe::actAndCatchNext(const Dialog& current, const std::vector<std::string>& action,
                                             std::chrono::milliseconds timeout) {
    std::vector<std::string> steps{"use", current.handle};
    steps.insert(steps.end(), action.begin(), action.end());
    steps.insert(steps.end(), {"next", timeoutArgument(timeout), "dump"});
    Result result = run(steps);
    if (result.exitCode != 0 || result.dialogs.empty()) return std::nullopt;
    return result.dialogs.front();
}

std::optional<Dialog> Probe::actAndHoldNext(const Dialog& current, const std::vector<std::string>& action,
                                            std::string& heldThread, std::chrono::milliseconds timeout) {
    std::vector<std::string> steps{"use", current.handle};
    steps.insert(steps.end(), action.begin(), action.end());
    steps.insert(steps.end(), {"catch", timeoutArgument(timeout), "dump"});
    Result result = run(steps);
    std::istringstream lines(result.output);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.rfind("held thread=", 0) == 0) heldThread = line.substr(12);
    }
    if (result.exitCode != 0 || result.dialogs.empty()) return std::nullopt;
    return result.dialogs.front();
}

bool Probe::release(const std::string& heldThread) { return run({"release", heldThread}).exitCode == 0; }

bool Probe::press(const Dialog& dialog, int id) { return run({"use", dialog.handle, "press", std::to_string(id)}).exitCode == 0; }

bool Probe::pressKey(const Dialog& dialog, const std::string& key) {
    return run({"use", dialog.handle, "key", key}).exitCode == 0;
}

bool Probe::closeBox(const Dialog& dialog) { return run({"use", dialog.handle, "close"}).exitCode == 0; }

bool Probe::waitUntilGone(const Dialog& dialog, std::chrono::milliseconds timeout) {
    return run({"use", dialog.handle, "gone", timeoutArgument(timeout)}).exitCode == 0;
}

std::string Probe::defaultMessageBoxCaption() {
    if (!defaultCaption_) {
        Result result = run({"default-caption"});
        std::istringstream lines(result.output);
        std::string line;
        while (std::getline(lines, line)) {
            if (line.rfind("caption text=", 0) == 0) defaultCaption_ = hexDecode(line.substr(13));
        }
    }
    return defaultCaption_.value_or(std::string());
}

bool Probe::setCurrentUserString(const std::string& key, const std::string& value, const std::string& data) {
    return run({"reg-set", hexEncode(key), hexEncode(value), hexEncode(data)}).exitCode == 0;
}

}  // namespace e2e
