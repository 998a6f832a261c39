#include "tests/wine_driver/probe_client.h"

#include <map>
#include <sstream>

#include "tests/wine_driver/case_prefix.h"
#include "tests/wine_driver/hex_text.h"
#include "tests/wine_driver/wine_program.h"

namespace wine_driver {
namespace {

std::string timeoutArgument(std::chrono::milliseconds timeout) { return std::to_string(timeout.count()); }

// The value of the probe's first "key=value" line for this key. The probe writes its output
// in text mode, so its lines end in CR LF.
std::string lineValue(const std::string& output, const std::string& key) {
    std::istringstream lines(output);
    std::string line;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.rfind(key, 0) == 0) return line.substr(key.size());
    }
    return {};
}

}  // namespace

bool Probe::watch(WineProgram& program) {
    watched_ = program.processId();
    return watched_.has_value();
}

Probe::Result Probe::run(const std::vector<std::string>& steps, std::chrono::milliseconds timeout) {
    std::vector<std::string> arguments;
    if (watched_) arguments = {"--process-id", std::to_string(*watched_)};
    arguments.insert(arguments.end(), steps.begin(), steps.end());
    Completed completed = prefix_.run(CasePrefix::kProbePath, arguments, timeout);
    Result result;
    result.timedOut = completed.timedOut;
    result.exitCode = completed.exitCode;
    result.output = completed.out;
    result.dialogs = parseDialogs(completed.out);
    return result;
}

std::optional<Dialog> Probe::firstDialog(const Result& result) {
    if (result.exitCode != 0 || result.dialogs.empty()) return std::nullopt;
    return result.dialogs.front();
}

Probe::Result Probe::actThen(const Dialog& current, const std::vector<std::string>& action, const std::string& look,
                             std::chrono::milliseconds timeout) {
    std::vector<std::string> steps{"use", current.handle};
    steps.insert(steps.end(), action.begin(), action.end());
    steps.insert(steps.end(), {look, timeoutArgument(timeout), "dump"});
    return run(steps, timeout + kSlack);
}

std::optional<Dialog> Probe::waitForDialog(std::chrono::milliseconds timeout) {
    return firstDialog(run({"find", timeoutArgument(timeout), "dump"}, timeout + kSlack));
}

std::optional<Dialog> Probe::waitForMessageBox(std::chrono::milliseconds timeout) {
    return firstDialog(run({"box", timeoutArgument(timeout), "dump"}, timeout + kSlack));
}

std::optional<Dialog> Probe::actAndCatchNext(const Dialog& current, const std::vector<std::string>& action,
                                             std::chrono::milliseconds timeout) {
    return firstDialog(actThen(current, action, "next", timeout));
}

std::optional<Dialog> Probe::actAndWaitForMessageBox(const Dialog& current, const std::vector<std::string>& action,
                                                     std::chrono::milliseconds timeout) {
    return firstDialog(actThen(current, action, "box", timeout));
}

std::optional<Dialog> Probe::actAndHoldNext(const Dialog& current, const std::vector<std::string>& action,
                                            std::string& heldThread, std::chrono::milliseconds timeout) {
    Result result = actThen(current, action, "catch", timeout);
    heldThread = lineValue(result.output, "held thread=");
    return firstDialog(result);
}

bool Probe::release(const std::string& heldThread) {
    if (heldThread.empty() || heldThread == "0") return true;
    return run({"release", heldThread}).exitCode == 0;
}

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
        if (result.exitCode == 0) defaultCaption_ = hexDecoded(lineValue(result.output, "caption text="));
    }
    return defaultCaption_.value_or(std::string());
}

bool Probe::setCurrentUserString(const std::string& key, const std::string& value, const std::string& data) {
    return run({"reg-set", hexEncode(key), hexEncode(value), hexEncode(data)}).exitCode == 0;
}

std::string Probe::specialFolder(int csidl) {
    Result result = run({"folder", std::to_string(csidl)});
    return result.exitCode == 0 ? hexDecoded(lineValue(result.output, "folder path=")) : std::string();
}

std::optional<Probe::Shortcut> Probe::readShortcut(const std::string& path) {
    Result result = run({"shortcut", hexEncode(path)});
    std::istringstream fields(lineValue(result.output, "shortcut "));
    std::map<std::string, std::string> values;
    for (std::string field; fields >> field;) {
        size_t equals = field.find('=');
        if (equals != std::string::npos) values[field.substr(0, equals)] = field.substr(equals + 1);
    }
    if (result.exitCode != 0 || !values.count("show")) return std::nullopt;
    return Shortcut{hexDecoded(values["target"]), hexDecoded(values["arguments"]), hexDecoded(values["directory"]),
                    std::stoi(values["show"])};
}

}  // namespace wine_driver
