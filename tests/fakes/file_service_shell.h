#pragma once

#include <map>
#include <string>

#include "platform/seam.h"
#include "platform/shell.h"
#include "support/file.h"

namespace fakes {

// The shell with its Programs folders where a test says and each shortcut a small file made
// through the file service in force, so that links are files among the others: seen, replaced
// and deleted as they are. Holds the link's target and arguments.
class FileServiceShell final : public platform::Shell {
public:
    explicit FileServiceShell(std::map<int, std::string> folders) : folders_(std::move(folders)), scope_(*this) {}

    std::string specialFolderPath(int csidl) override {
        auto it = folders_.find(csidl);
        return it == folders_.end() ? std::string() : it->second;
    }
    bool createShellLink(const char* linkPath, const char* targetPath, const char* arguments, const char*, int) override {
        support::CFile link;
        std::string text = std::string(targetPath) + "|" + (arguments ? arguments : "");
        return link.open(linkPath, support::FileOpenMode::Write) && link.write(text.data(), static_cast<uint32_t>(text.size())) == text.size();
    }

private:
    std::map<int, std::string> folders_;
    platform::ScopedService<platform::Shell> scope_;
};

}  // namespace fakes
