#include "engine/apply_update.h"
#include "engine/target_lookups.h"
#include "platform/file_path.h"
#include "platform/files.h"

namespace engine {

std::vector<std::string> directoryChainOf(const std::string& path) {
    std::vector<std::string> chain;
    // Every prefix that ends before a separator, shortest first. Most of them exist already,
    // and a drive ("C:") or an empty prefix cannot be made; those calls fail harmlessly.
    for (size_t i = 0; i < path.size(); ++i) {
        if (platform::isPathSeparatorAt(path, i)) chain.push_back(path.substr(0, i));
    }
    // Only the last byte counts here, as in the directory-entry test: a path ending in a 0x5C
    // trail byte (表) is taken for one ending in a separator and is not made.
    if (!path.empty() && path.back() != '\\' && path.back() != '/') chain.push_back(path);
    return chain;
}

bool createDirectoryChain(const std::string& path) {
    if (namesAFolder(path)) return true;
    for (const std::string& folder : directoryChainOf(path)) platform::files().createDirectory(folder.c_str());
    return namesAFolder(path);
}

}  // namespace engine
