#include "tests/e2e/harness/session.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <thread>

#include "platform/text_encoding.h"

namespace fs = std::filesystem;

namespace e2e {
namespace {

Session* activeSession = nullptr;

std::string environmentOr(const char* name, const char* fallback) {
    const char* value = std::getenv(name);
    return value && *value ? value : fallback;
}

// UPDATER_E2E_TRACE=1 prints every Wine-side step with the time it took, to see where a
// slow case spends its time.
class Trace {
public:
    explicit Trace(std::string what) : what_(std::move(what)), start_(std::chrono::steady_clock::now()) {}
    ~Trace() {
        static const bool enabled = std::getenv("UPDATER_E2E_TRACE") != nullptr;
        if (!enabled) return;
        auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start_);
        std::cout << "[ trace    ] " << ms.count() << " ms  " << what_ << std::endl;
    }

private:
    std::string what_;
    std::chrono::steady_clock::time_point start_;
};

std::string joined(const std::vector<std::string>& words) {
    std::string text;
    for (const std::string& word : words) text += (text.empty() ? "" : " ") + word;
    return text;
}

std::string trimmed(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) text.pop_back();
    return text;
}

std::string currentCaseName() {
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = info ? std::string(info->test_suite_name()) + "." + info->name() : "outside-a-case";
    for (char& c : name) {
        if (c == '/') c = '_';
    }
    return name;
}

}  // namespace

std::optional<WindowsBuild> findWindowsBuild(std::string& whereLooked) {
    WindowsBuild build;
    build.folder = environmentOr("UPDATER_WINDOWS_BUILD", "");
    if (build.folder.empty()) {
        char scratch[] = "/tmp/updater-e2e-build.XXXXXX";
        if (!mkdtemp(scratch)) {
            whereLooked = "nowhere: cannot make a scratch folder";
            return std::nullopt;
        }
        Completed asked = runToCompletion({"bash", std::string(UPDATER_E2E_SCRIPTS) + "/wine-case.sh", "windows-build"},
                                          scratch, std::chrono::seconds(60));
        std::error_code ignored;
        fs::remove_all(scratch, ignored);
        if (asked.timedOut || asked.exitCode != 0 || trimmed(asked.out).empty()) {
            whereLooked = "no folder: wine-case.sh windows-build failed: " + asked.err;
            return std::nullopt;
        }
        build.folder = std::string(UPDATER_E2E_BUILDS) + "/" + trimmed(asked.out);
    }
    build.updater = build.folder + "/app/Update.exe";
    build.probe = build.folder + "/tests/e2e/probe/probe.exe";
    whereLooked = build.folder;
    if (!fs::is_regular_file(build.updater) || !fs::is_regular_file(build.probe)) return std::nullopt;
    return build;
}

Display& Display::shared() {
    static Display display;
    return display;
}

Display::Display() {
    char pattern[] = "/tmp/updater-e2e-display.XXXXXX";
    if (!mkdtemp(pattern)) {
        problem_ = "cannot make a folder for Xvfb";
        return;
    }
    folder_ = pattern;
    // -displayfd 1: the server takes the first free display number and writes it to its
    // standard output, which is a file here.
    server_ = std::make_unique<ChildProcess>(
        std::vector<std::string>{"Xvfb", "-displayfd", "1", "-nolisten", "tcp", "-screen", "0", "1024x768x24"},
        folder_ + "/number", folder_ + "/log");
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < deadline) {
        std::string number = readWholeFile(folder_ + "/number");
        if (number.find('\n') != std::string::npos) {
            name_ = ":" + trimmed(number);
            return;
        }
        if (server_->waitForExit(milliseconds(20))) break;
    }
    problem_ = "Xvfb did not start: " + readWholeFile(folder_ + "/log");
}

Display::~Display() {
    if (server_) {
        server_->kill();
        server_->waitForExit(std::chrono::seconds(5));
    }
    if (!folder_.empty()) {
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }
}

bool Display::screenshot(const std::string& pngPath) const {
    if (name_.empty()) return false;
    Completed shot = runToCompletion({"import", "-display", name_, "-window", "root", pngPath}, folder_,
                                     std::chrono::seconds(20));
    return !shot.timedOut && shot.exitCode == 0;
}

WineProgram::WineProgram(std::unique_ptr<ChildProcess> process, std::string outPath, std::string errPath)
    : process_(std::move(process)), outPath_(std::move(outPath)), errPath_(std::move(errPath)) {}

std::optional<int> WineProgram::waitForExit(milliseconds timeout) { return process_->waitForExit(timeout); }
void WineProgram::kill() { process_->kill(); }
std::string WineProgram::output() const { return readWholeFile(outPath_); }
std::string WineProgram::errors() const { return readWholeFile(errPath_); }

Session::Session(const WindowsBuild& build) : build_(build) {
    activeSession = this;
    std::string name = currentCaseName();
    artifacts_ = environmentOr("UPDATER_E2E_ARTIFACTS", UPDATER_E2E_ARTIFACTS_DEFAULT) + ("/" + name);
    std::error_code ignored;
    fs::remove_all(artifacts_, ignored);
    fs::create_directories(artifacts_);

    if (!Display::shared().problem().empty()) {
        problem_ = Display::shared().problem();
        return;
    }
    char scratch[] = "/tmp/updater-e2e-case.XXXXXX";
    if (!mkdtemp(scratch)) {
        problem_ = "cannot make a scratch folder";
        return;
    }
    Completed made;
    {
        Trace trace("new prefix");
        made = runToCompletion(script({"new", name}), scratch, std::chrono::seconds(120));
    }
    fs::remove_all(scratch, ignored);
    caseFolder_ = trimmed(made.out);
    if (made.timedOut || made.exitCode != 0 || caseFolder_.empty()) {
        problem_ = "cannot make the case's Wine prefix: " + made.err;
        caseFolder_.clear();
        return;
    }
    prefix_ = caseFolder_ + "/prefix";
    logs_ = caseFolder_ + "/logs";
    fs::create_directories(logs_);
    probe_ = std::make_unique<Probe>(*this);
    copyFromHost(build_.probe, Probe::kWindowsPath);
    handOver();
    // Kept up until the session ends, so that the probe's runs and the updater's share one
    // server and none of them pays for starting it.
    Trace trace("start wineserver");
    Completed server = runToCompletion(script({"start-server", prefix_}), logs_, std::chrono::seconds(30),
                                       displayEnvironment());
    if (server.timedOut || server.exitCode != 0) {
        problem_ = "wineserver did not start: " + server.err;
        return;
    }
    // Without a window manager, Wine waits two seconds for one to acknowledge every window
    // that it hides, unless it manages the windows itself. The updater's dialogs look and
    // behave the same either way; the cases just do not stand still after each OK.
    if (!probe_->setCurrentUserString("Software\\Wine\\X11 Driver", "Managed", "N")) {
        problem_ = "the probe cannot run in the case's prefix";
    }
}

Session::~Session() {
    activeSession = nullptr;
    bool failed = ::testing::Test::HasFailure();
    if (failed) screenshot("at-end");
    if (!caseFolder_.empty()) {
        Trace trace("kill and remove the prefix");
        runToCompletion(script({"kill", prefix_}), logs_, std::chrono::seconds(30));
        std::error_code ignored;
        if (failed) fs::copy(logs_, artifacts_ + "/logs", fs::copy_options::recursive, ignored);
        if (environmentOr("UPDATER_E2E_KEEP_PREFIX", "").empty()) {
            runToCompletion(script({"remove", caseFolder_}), artifacts_, std::chrono::seconds(60));
        } else {
            std::cout << "[ prefix   ] kept: " << prefix_ << std::endl;
        }
    }
    std::error_code ignored;
    if (fs::is_empty(artifacts_, ignored)) {
        fs::remove(artifacts_, ignored);
    } else {
        std::cout << "[ pictures ] " << artifacts_ << std::endl;
    }
}

Session* Session::active() { return activeSession; }

std::vector<std::string> Session::script(const std::vector<std::string>& arguments) const {
    std::vector<std::string> command{"bash", std::string(UPDATER_E2E_SCRIPTS) + "/wine-case.sh"};
    command.insert(command.end(), arguments.begin(), arguments.end());
    return command;
}

std::vector<std::string> Session::displayEnvironment() const { return {"DISPLAY=" + Display::shared().name()}; }

std::string Session::hostPath(const std::string& windowsPath) const {
    // Converted before the separators are turned round: a 0x5C trail byte, as in 表, belongs
    // to its character and is no separator.
    std::string utf8;
    char letter = windowsPath.empty() ? 0 : static_cast<char>(windowsPath[0] | 0x20);
    std::string root = letter == 'c' ? prefix_ + "/drive_c" : drives_.count(letter) ? drives_.at(letter) : "";
    if (windowsPath.size() < 3 || root.empty() || windowsPath[1] != ':' || windowsPath[2] != '\\' ||
        !platform::cp932ToUtf8(windowsPath.substr(3), utf8)) {
        ADD_FAILURE() << "not a path on drive C: or a mapped one: " << readable(windowsPath);
        return prefix_ + "/drive_c/invalid";
    }
    for (char& c : utf8) {
        if (c == '\\') c = '/';
    }
    return root + "/" + utf8;
}

void Session::makeFolder(const std::string& windowsPath) { makeHostFolder(hostPath(windowsPath)); }

void Session::makeHostFolder(const fs::path& host) {
    fs::path existing = host;
    while (!fs::exists(existing)) existing = existing.parent_path();
    if (existing == host) return;
    // The outermost folder made here; handing it over gives everything inside it too.
    fs::path outermost = host;
    while (outermost.parent_path() != existing) outermost = outermost.parent_path();
    fs::create_directories(host);
    made_.push_back(outermost.string());
}

void Session::writeFile(const std::string& windowsPath, const std::string& bytes) {
    fs::path host = hostPath(windowsPath);
    makeHostFolder(host.parent_path());
    std::ofstream(host, std::ios::binary | std::ios::trunc).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    made_.push_back(host.string());
}

void Session::copyFromHost(const std::string& hostSource, const std::string& windowsPath) {
    writeFile(windowsPath, readWholeFile(hostSource));
}

bool Session::exists(const std::string& windowsPath) const { return fs::exists(hostPath(windowsPath)); }

void Session::track(const std::string& windowsPath) { made_.push_back(hostPath(windowsPath)); }

void Session::handOver() {
    if (made_.empty()) return;
    std::vector<std::string> arguments{"own"};
    arguments.insert(arguments.end(), made_.begin(), made_.end());
    Completed owned = runToCompletion(script(arguments), logs_, std::chrono::seconds(30));
    if (owned.timedOut || owned.exitCode != 0) ADD_FAILURE() << "cannot give the fixture to the Wine user: " << owned.err;
    made_.clear();
}

void Session::removeDrive(char letter) {
    std::string link = prefix_ + "/dosdevices/" + static_cast<char>(letter | 0x20) + ":";
    std::error_code error;
    fs::remove(link, error);
    if (error || fs::exists(fs::symlink_status(link))) ADD_FAILURE() << "cannot remove " << link << ": " << error.message();
}

void Session::mapDrive(char letter, const std::string& hostFolder) {
    letter = static_cast<char>(letter | 0x20);
    std::error_code error;
    fs::create_symlink(hostFolder, prefix_ + "/dosdevices/" + letter + ":", error);
    if (error) {
        ADD_FAILURE() << "cannot map drive " << letter << ": to " << hostFolder << ": " << error.message();
        return;
    }
    drives_[letter] = hostFolder;
}

std::unique_ptr<WineProgram> Session::start(const std::string& windowsProgram, const std::vector<std::string>& arguments,
                                            const std::vector<std::string>& environment) {
    handOver();
    // Windows paths and arguments are code page 932 bytes; Wine reads its own command line as
    // UTF-8 in the locale it runs in.
    std::vector<std::string> command{"run", prefix_, platform::utf8OrRawBytes(windowsProgram)};
    for (const std::string& argument : arguments) command.push_back(platform::utf8OrRawBytes(argument));
    std::string stem = logs_ + "/wine" + std::to_string(++runs_);
    std::vector<std::string> variables = displayEnvironment();
    variables.insert(variables.end(), environment.begin(), environment.end());
    auto process = std::make_unique<ChildProcess>(script(command), stem + ".out", stem + ".err", variables);
    return std::make_unique<WineProgram>(std::move(process), stem + ".out", stem + ".err");
}

Completed Session::run(const std::string& windowsProgram, const std::vector<std::string>& arguments, milliseconds timeout,
                       const std::vector<std::string>& environment) {
    Trace trace("run " + joined(arguments));
    std::unique_ptr<WineProgram> program = start(windowsProgram, arguments, environment);
    Completed result;
    std::optional<int> code = program->waitForExit(timeout);
    result.timedOut = !code;
    result.exitCode = code.value_or(-1);
    result.out = program->output();
    result.err = program->errors();
    return result;
}

std::string Session::screenshot(const std::string& label) {
    char number[8];
    std::snprintf(number, sizeof number, "%02d-", ++screenshots_);
    std::string path = artifacts_ + "/" + number + label + ".png";
    Trace trace("screenshot " + label);
    if (!Display::shared().screenshot(path)) return {};
    return path;
}

}  // namespace e2e
