#include "engine/apply_update.h"
#include "platform/file_path.h"
#include "platform/files.h"

namespace engine {
namespace {

bool namesAFolder(const std::string& path) {
    uint32_t attributes = platform::files().getFileAttributes(path.c_str());
    return attributes != platform::kInvalidFileAttributes && (attributes & platform::kFileAttributeDirectory) != 0;
}

}  // namespace

bool createDirectoryChain(const std::string& path) {
    if (namesAFolder(path)) return true;
    platform::Files& files = platform::files();
    // Every prefix that ends before a separator, shortest first. Most of them exist already,
    // and a drive ("C:") or an empty prefix cannot be made; those calls fail harmlessly.
    for (size_t i = 0; i < path.size(); ++i) {
        if (platform::isPathSeparatorAt(path, i)) files.createDirectory(path.substr(0, i).c_str());
    }
    // Only the last byte counts here, as in the directory-entry test: a path ending in a 0x5C
    // trail byte (表) is taken for one ending in a separator and is not made.
    if (!path.empty() && path.back() != '\\' && path.back() != '/') files.createDirectory(path.c_str());
    return namesAFolder(path);
}

}  // namespace engine
