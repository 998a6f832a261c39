#include "tests/wine_driver/case_prefix.h"

#include <stdlib.h>

#include <filesystem>

#include "platform/text_encoding.h"
#include "tests/wine_driver/step_trace.h"
#include "tests/wine_driver/wine_case_script.h"

namespace fs = std::filesystem;

namespace wine_driver {
namespace {

std::string firstLine(const std::string& text) { return text.substr(0, text.find_first_of("\r\n")); }

std::string joined(const std::vector<std::string>& words) {
    std::string text;
    for (const std::string& word : words) text += (text.empty() ? "" : " ") + word;
    return text;
}

}  // namespace

CasePrefix::CasePrefix(const std::string& name, const WindowsBuild& build, std::string display)
    : display_(std::move(display)) {
    char scratch[] = "/tmp/updater-wine-case.XXXXXX";
    if (!mkdtemp(scratch)) {
        problem_ = "cannot make a scratch folder";
        return;
    }
    Completed made;
    {
        StepTrace trace("new prefix");
        made = runToCompletion(wineCaseCommand({"new", name}), scratch, std::chrono::seconds(120));
    }
    std::error_code ignored;
    fs::remove_all(scratch, ignored);
    folder_ = firstLine(made.out);
    if (made.timedOut || made.exitCode != 0 || folder_.empty()) {
        problem_ = "cannot make the case's Wine prefix: " + made.err;
        folder_.clear();
        return;
    }
    prefix_ = folder_ + "/prefix";
    logs_ = folder_ + "/logs";
    fs::create_directories(logs_);

    std::string helpers = driveC() + "/e2e-probe";
    std::error_code error;
    fs::create_directories(helpers, error);
    for (const std::string& program : {build.probe, build.launcher}) {
        if (!error) fs::copy_file(program, helpers + "/" + fs::path(program).filename().string(), error);
    }
    std::string why;
    if (error || !handOver({helpers}, why)) {
        problem_ = "cannot place the probe and the launcher in the prefix: " + (error ? error.message() : why);
        return;
    }
    StepTrace trace("start wineserver");
    Completed server = script({"start-server", prefix_}, std::chrono::seconds(30), {"DISPLAY=" + display_});
    if (server.timedOut || server.exitCode != 0) problem_ = "wineserver did not start: " + server.err;
}

CasePrefix::~CasePrefix() {
    if (folder_.empty()) return;
    endPrograms();
    if (!keep_) script({"remove", folder_}, std::chrono::seconds(60));
}

Completed CasePrefix::script(const std::vector<std::string>& arguments, std::chrono::milliseconds timeout,
                             const std::vector<std::string>& environment) {
    return runToCompletion(wineCaseCommand(arguments), logs_, timeout, environment);
}

bool CasePrefix::handOver(const std::vector<std::string>& hostPaths, std::string& why) {
    if (hostPaths.empty()) return true;
    std::vector<std::string> arguments{"own"};
    arguments.insert(arguments.end(), hostPaths.begin(), hostPaths.end());
    Completed owned = script(arguments, std::chrono::seconds(30));
    why = owned.timedOut ? "wine-case.sh own did not end" : owned.err;
    return !owned.timedOut && owned.exitCode == 0;
}

std::unique_ptr<ChildProcess> CasePrefix::program(const std::vector<std::string>& windowsCommand,
                                                  const std::vector<std::string>& environment, std::string& stem) {
    // Windows paths and arguments are code page 932 bytes; Wine reads its own command line as
    // UTF-8 in the locale it runs in.
    std::vector<std::string> arguments{"run", prefix_};
    for (const std::string& word : windowsCommand) arguments.push_back(platform::utf8OrRawBytes(word));
    stem = logs_ + "/wine" + std::to_string(++runs_);
    std::vector<std::string> variables{"DISPLAY=" + display_};
    variables.insert(variables.end(), environment.begin(), environment.end());
    return std::make_unique<ChildProcess>(wineCaseCommand(arguments), stem + ".out", stem + ".err", variables);
}

std::unique_ptr<WineProgram> CasePrefix::start(const std::string& windowsProgram, const std::vector<std::string>& arguments,
                                               const std::vector<std::string>& environment) {
    std::vector<std::string> command{kLauncherPath, windowsProgram};
    command.insert(command.end(), arguments.begin(), arguments.end());
    std::string stem;
    std::unique_ptr<ChildProcess> process = program(command, environment, stem);
    return std::make_unique<WineProgram>(std::move(process), stem + ".out", stem + ".err");
}

Completed CasePrefix::run(const std::string& windowsProgram, const std::vector<std::string>& arguments,
                          std::chrono::milliseconds timeout, const std::vector<std::string>& environment) {
    StepTrace trace("run " + joined(arguments));
    std::vector<std::string> command{windowsProgram};
    command.insert(command.end(), arguments.begin(), arguments.end());
    std::string stem;
    Completed result;
    {
        std::unique_ptr<ChildProcess> process = program(command, environment, stem);
        std::optional<int> code = process->waitForExit(timeout);
        result.timedOut = !code;
        result.exitCode = code.value_or(-1);
    }
    result.out = readWholeFile(stem + ".out");
    result.err = readWholeFile(stem + ".err");
    return result;
}

void CasePrefix::endPrograms() {
    if (folder_.empty() || ended_) return;
    ended_ = true;
    StepTrace trace("end every program of the prefix");
    script({"kill", prefix_}, std::chrono::seconds(30));
}

}  // namespace wine_driver
