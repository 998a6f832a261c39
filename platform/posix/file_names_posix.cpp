#include <dirent.h>

#include <memory>

#include "platform/file_names.h"
#include "platform/posix/posix_system.h"

namespace platform {
namespace {

struct FolderCloser {
    void operator()(DIR* folder) const { ::closedir(folder); }
};

}  // namespace

bool listRealFolder(const std::string& productFolder, std::vector<std::string>& names) {
    std::string host = posix::hostPathOf(productFolder.c_str());
    if (host.empty()) return false;
    std::unique_ptr<DIR, FolderCloser> folder(::opendir(host.c_str()));
    if (!folder) return false;
    std::string prefix = host.back() == '/' ? host : host + "/";
    std::string productPrefix = posix::productPathOf(prefix);
    while (dirent* found = ::readdir(folder.get())) {
        std::string name = found->d_name;
        if (name == "." || name == "..") continue;
        // The conversion goes character by character, so the folder's own product path is a
        // prefix of its child's.
        std::string product = posix::productPathOf(prefix + name);
        names.push_back(product.size() > productPrefix.size() ? product.substr(productPrefix.size()) : "");
    }
    return true;
}

}  // namespace platform
