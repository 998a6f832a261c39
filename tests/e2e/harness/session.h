#pragma once

#include <chrono>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tests/e2e/harness/child_process.h"
#include "tests/e2e/harness/probe_client.h"

namespace e2e {

using std::chrono::milliseconds;

// Where Update.exe and the probe were built: UPDATER_WINDOWS_BUILD, else the preset's build
// folder of the build that Wine can run here (windows, or windows64 where Wine runs only
// 64-bit programs; scripts/wine-env.sh decides). Nothing when either program is missing there.
struct WindowsBuild {
    std::string folder;
    std::string updater;
    std::string probe;
};
std::optional<WindowsBuild> findWindowsBuild(std::string& whereLooked);

// One Xvfb for this test process, on a display number that the server picks itself from the
// free ones, so that parallel runs cannot collide.
class Display {
public:
    static Display& shared();
    ~Display();
    const std::string& name() const { return name_; }  // ":N", or empty if the server did not start
    const std::string& problem() const { return problem_; }
    bool screenshot(const std::string& pngPath) const;

private:
    Display();
    std::unique_ptr<ChildProcess> server_;
    std::string folder_;
    std::string name_;
    std::string problem_;
};

// A program that runs in the case's prefix.
class WineProgram {
public:
    WineProgram(std::unique_ptr<ChildProcess> process, std::string outPath, std::string errPath);
    // The program's exit code, or nothing if it is still running when the time is up.
    std::optional<int> waitForExit(milliseconds timeout = milliseconds(20000));
    // Ends the program at once, as a crash or a power cut would; nothing of it runs on.
    void kill();
    std::string output() const;
    std::string errors() const;

private:
    std::unique_ptr<ChildProcess> process_;
    std::string outPath_;
    std::string errPath_;
};

// One end-to-end case: a Wine prefix of its own, copied from the template and used as the
// unprivileged Wine user, on the shared display, with a folder for its screenshots under the
// build tree. Paths in the interface are paths as Windows names them ("C:\...", code page 932).
// Ending the session ends every Wine process of the prefix and removes it.
class Session {
public:
    explicit Session(const WindowsBuild& build);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // The session of the running case, for the failure screenshot; null between cases.
    static Session* active();

    const std::string& problem() const { return problem_; }  // why the session is unusable
    const WindowsBuild& build() const { return build_; }
    Probe& probe() { return *probe_; }

    std::string hostPath(const std::string& windowsPath) const;
    void makeFolder(const std::string& windowsPath);
    void writeFile(const std::string& windowsPath, const std::string& bytes);
    void copyFromHost(const std::string& hostSource, const std::string& windowsPath);
    bool exists(const std::string& windowsPath) const;
    // Marks something made outside writeFile (by the product's own code) as the case's.
    void track(const std::string& windowsPath);
    // Whatever the case made in the prefix is given to the Wine user; start does this too.
    void handOver();
    // Takes a drive out of the prefix (its dosdevices link), so that nothing run there reaches
    // what it mapped: Z: is the host's root in every prefix.
    void removeDrive(char letter);
    // Adds a drive that is the host folder (its dosdevices link); hostPath then takes its paths.
    void mapDrive(char letter, const std::string& hostFolder);

    // `environment` ("NAME=value") reaches scripts/wine-case.sh, as UPDATER_DLL_OVERRIDES does.
    std::unique_ptr<WineProgram> start(const std::string& windowsProgram, const std::vector<std::string>& arguments,
                                       const std::vector<std::string>& environment = {});
    Completed run(const std::string& windowsProgram, const std::vector<std::string>& arguments,
                  milliseconds timeout = milliseconds(30000), const std::vector<std::string>& environment = {});

    // A picture of the whole screen in the case's folder, named after the label; the path.
    std::string screenshot(const std::string& label);
    const std::string& artifactFolder() const { return artifacts_; }

private:
    std::vector<std::string> script(const std::vector<std::string>& arguments) const;
    void makeHostFolder(const std::filesystem::path& host);
    std::vector<std::string> displayEnvironment() const;

    WindowsBuild build_;
    std::string problem_;
    std::string caseFolder_;
    std::string prefix_;
    std::string logs_;
    std::string artifacts_;
    std::vector<std::string> made_;
    std::map<char, std::string> drives_;  // lower-case letter: host folder, besides C:
    std::unique_ptr<Probe> probe_;
    int screenshots_ = 0;
    int runs_ = 0;
};

}  // namespace e2e
