#include "tests/e2e/harness/session.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>

#include "platform/text_encoding.h"
#include "tests/wine_driver/display.h"
#include "tests/wine_driver/step_trace.h"

namespace fs = std::filesystem;

namespace e2e {
namespace {

Session* activeSession = nullptr;

std::string environmentOr(const char* name, const char* fallback) {
    const char* value = std::getenv(name);
    return value && *value ? value : fallback;
}

// One Xvfb for this test process, shared by its cases.
wine_driver::Display& sharedDisplay() {
    static wine_driver::Display display;
    return display;
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

Session::Session(const wine_driver::WindowsBuild& build) : build_(build) {
    activeSession = this;
    std::string name = currentCaseName();
    artifacts_ = environmentOr("UPDATER_E2E_ARTIFACTS", UPDATER_E2E_ARTIFACTS_DEFAULT) + ("/" + name);
    std::error_code ignored;
    fs::remove_all(artifacts_, ignored);
    fs::create_directories(artifacts_);

    if (!sharedDisplay().problem().empty()) {
        problem_ = sharedDisplay().problem();
        return;
    }
    prefix_ = std::make_unique<wine_driver::CasePrefix>(name, build_, sharedDisplay().name());
    if (!environmentOr("UPDATER_E2E_KEEP_PREFIX", "").empty()) prefix_->keep();
    problem_ = prefix_->problem();
    if (!problem_.empty()) return;
    probe_ = std::make_unique<wine_driver::Probe>(*prefix_);
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
    if (prefix_) {
        prefix_->endPrograms();
        std::error_code ignored;
        if (failed) fs::copy(prefix_->logs(), artifacts_ + "/logs", fs::copy_options::recursive, ignored);
        if (!environmentOr("UPDATER_E2E_KEEP_PREFIX", "").empty()) std::cout << "[ prefix   ] kept: " << prefix_->prefix() << std::endl;
        wine_driver::StepTrace trace("remove the prefix");
        prefix_.reset();
    }
    std::error_code ignored;
    if (fs::is_empty(artifacts_, ignored)) {
        fs::remove(artifacts_, ignored);
    } else {
        std::cout << "[ pictures ] " << artifacts_ << std::endl;
    }
}

Session* Session::active() { return activeSession; }

std::string Session::hostPath(const std::string& windowsPath) const {
    // Converted before the separators are turned round: a 0x5C trail byte, as in 表, belongs
    // to its character and is no separator.
    std::string utf8;
    char letter = windowsPath.empty() ? 0 : static_cast<char>(windowsPath[0] | 0x20);
    std::string root = letter == 'c' ? prefix_->driveC() : drives_.count(letter) ? drives_.at(letter) : "";
    if (windowsPath.size() < 3 || root.empty() || windowsPath[1] != ':' || windowsPath[2] != '\\' ||
        !platform::cp932ToUtf8(windowsPath.substr(3), utf8)) {
        ADD_FAILURE() << "not a path on drive C: or a mapped one: " << wine_driver::readable(windowsPath);
        return prefix_->driveC() + "/invalid";
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
    writeFile(windowsPath, wine_driver::readWholeFile(hostSource));
}

bool Session::exists(const std::string& windowsPath) const { return fs::exists(hostPath(windowsPath)); }

void Session::track(const std::string& windowsPath) { made_.push_back(hostPath(windowsPath)); }

void Session::handOver() {
    std::string why;
    if (!prefix_->handOver(made_, why)) ADD_FAILURE() << "cannot give the fixture to the Wine user: " << why;
    made_.clear();
}

void Session::removeDrive(char letter) {
    std::string link = prefix_->prefix() + "/dosdevices/" + static_cast<char>(letter | 0x20) + ":";
    std::error_code error;
    fs::remove(link, error);
    if (error || fs::exists(fs::symlink_status(link))) ADD_FAILURE() << "cannot remove " << link << ": " << error.message();
}

void Session::mapDrive(char letter, const std::string& hostFolder) {
    letter = static_cast<char>(letter | 0x20);
    std::error_code error;
    fs::create_symlink(hostFolder, prefix_->prefix() + "/dosdevices/" + letter + ":", error);
    if (error) {
        ADD_FAILURE() << "cannot map drive " << letter << ": to " << hostFolder << ": " << error.message();
        return;
    }
    drives_[letter] = hostFolder;
}

std::unique_ptr<wine_driver::WineProgram> Session::start(const std::string& windowsProgram,
                                                         const std::vector<std::string>& arguments,
                                                         const std::vector<std::string>& environment) {
    handOver();
    return prefix_->start(windowsProgram, arguments, environment);
}

wine_driver::Completed Session::run(const std::string& windowsProgram, const std::vector<std::string>& arguments,
                                    milliseconds timeout, const std::vector<std::string>& environment) {
    handOver();
    return prefix_->run(windowsProgram, arguments, timeout, environment);
}

std::string Session::screenshot(const std::string& label) {
    char number[8];
    std::snprintf(number, sizeof number, "%02d-", ++screenshots_);
    std::string path = artifacts_ + "/" + number + label + ".png";
    wine_driver::StepTrace trace("screenshot " + label);
    if (!sharedDisplay().screenshot(path)) return {};
    return path;
}

}  // namespace e2e
