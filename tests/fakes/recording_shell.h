#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/seam.h"
#include "platform/shell.h"

namespace fakes {

// Records every shell link made and passes the calls to the shell it replaced, except for
// the special folders a test points elsewhere (`answer`).
class RecordingShell final : public platform::Shell {
public:
    RecordingShell() : real_(platform::shell()), scope_(*this) {}

    void answer(int csidl, const std::string& path) { answers_[csidl] = path; }

    struct Link {
        std::string linkPath, targetPath, arguments, workingDirectory;
        int showCommand = 0;
    };
    std::vector<Link> links;

    std::string specialFolderPath(int csidl) override {
        auto it = answers_.find(csidl);
        return it != answers_.end() ? it->second : real_.specialFolderPath(csidl);
    }
    bool createShellLink(const char* linkPath, const char* targetPath, const char* arguments, const char* workingDirectory,
                         int showCommand) override {
        links.push_back({linkPath, targetPath, arguments ? arguments : "", workingDirectory ? workingDirectory : "", showCommand});
        return real_.createShellLink(linkPath, targetPath, arguments, workingDirectory, showCommand);
    }

private:
    platform::Shell& real_;
    platform::ScopedService<platform::Shell> scope_;
    std::map<int, std::string> answers_;
};

}  // namespace fakes
