#include <dirent.h>
#include <unistd.h>

#include <memory>

#include "platform/posix/posix_system.h"
#include "platform/file_names.h"

namespace platform {
namespace {

struct FolderCloser {
    void operator()(DIR* folder) const { ::closedir(folder); }
};

std::string currentFolder() {
    std::unique_ptr<char, decltype(&free)> cwd(::getcwd(nullptr, 0), &free);
    return cwd ? cwd.get() : "/";
}

}  // namespace

// The host resolves "." and ".." through the file system; they are resolved here by their
// text, which differs only across symbolic links, and an installation holds none.
bool pathKeyOf(const std::string& productPath, PathKey& key) {
    std::string host = posix::hostPathOf(productPath.c_str());
    if (host.empty()) return false;
    key.trailingSeparator = host.size() > 1 && host.back() == '/';
    if (host[0] != '/') host = currentFolder() + "/" + host;

    std::vector<std::string> components;
    size_t start = 0;
    while (start <= host.size()) {
        size_t end = host.find('/', start);
        if (end == std::string::npos) end = host.size();
        std::string component = host.substr(start, end - start);
        if (component == "..") {
            if (!components.empty()) components.pop_back();
        } else if (!component.empty() && component != ".") {
            components.push_back(component);
        }
        start = end + 1;
    }
    key.key.clear();
    for (const std::string& component : components) key.key += "/" + component;
    if (key.key.empty()) key.key = "/";
    return true;
}

std::string parentKeyOf(const std::string& key) {
    if (key == "/") return {};
    size_t last = key.rfind('/');
    return last == 0 ? "/" : key.substr(0, last);
}

std::string productPathOfKey(const std::string& key) { return posix::productPathOf(key); }

bool listRealFolder(const std::string& folderKey, std::vector<RealChild>& children) {
    std::unique_ptr<DIR, FolderCloser> folder(::opendir(folderKey.c_str()));
    if (!folder) return false;
    std::string prefix = folderKey == "/" ? "/" : folderKey + "/";
    std::string productPrefix = productPathOfKey(prefix);
    while (dirent* found = ::readdir(folder.get())) {
        std::string name = found->d_name;
        if (name == "." || name == "..") continue;
        // The conversion goes character by character, so the folder's own product path is a
        // prefix of its child's.
        std::string product = productPathOfKey(prefix + name);
        children.push_back({prefix + name, product.size() > productPrefix.size() ? product.substr(productPrefix.size()) : ""});
    }
    return true;
}

}  // namespace platform
