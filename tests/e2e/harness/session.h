#pragma once

#include <chrono>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "tests/wine_driver/case_prefix.h"
#include "tests/wine_driver/probe_client.h"
#include "tests/wine_driver/windows_build.h"
#include "tests/wine_driver/wine_program.h"

namespace e2e {

using std::chrono::milliseconds;

// One end-to-end case: a prefix of its own (see wine_driver::CasePrefix) on the display that
// every case of this test process shares, with a folder for its screenshots under the build
// tree, and whatever the case made in the prefix handed to the Wine user before a program
// starts. Paths in the interface are paths as Windows names them ("C:\...", code page 932).
// Ending the session ends every Wine process of the prefix and removes it; a failed case keeps
// its programs' logs beside its screenshots.
class Session {
public:
    explicit Session(const wine_driver::WindowsBuild& build);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // The session of the running case, for the failure screenshot; null between cases.
    static Session* active();

    const std::string& problem() const { return problem_; }  // why the session is unusable
    const wine_driver::WindowsBuild& build() const { return build_; }
    wine_driver::Probe& probe() { return *probe_; }

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

    // As wine_driver::CasePrefix::start and run, after the hand-over.
    std::unique_ptr<wine_driver::WineProgram> start(const std::string& windowsProgram,
                                                    const std::vector<std::string>& arguments,
                                                    const std::vector<std::string>& environment = {});
    wine_driver::Completed run(const std::string& windowsProgram, const std::vector<std::string>& arguments,
                               milliseconds timeout = milliseconds(30000), const std::vector<std::string>& environment = {});

    // A picture of the whole screen in the case's folder, named after the label; the path.
    std::string screenshot(const std::string& label);
    const std::string& artifactFolder() const { return artifacts_; }

private:
    void makeHostFolder(const std::filesystem::path& host);

    wine_driver::WindowsBuild build_;
    std::string problem_;
    std::string artifacts_;
    std::unique_ptr<wine_driver::CasePrefix> prefix_;
    std::unique_ptr<wine_driver::Probe> probe_;
    std::vector<std::string> made_;
    std::map<char, std::string> drives_;  // lower-case letter: host folder, besides C:
    int screenshots_ = 0;
};

}  // namespace e2e
