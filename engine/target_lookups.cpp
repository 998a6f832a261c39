#include "engine/target_lookups.h"

namespace engine {

bool nothingToBackUp(uint32_t error) {
    return error == platform::kErrorFileNotFound || error == platform::kErrorPathNotFound || error == platform::kErrorInvalidName;
}

bool fileThere(const std::string& path) {
    platform::Files& files = platform::files();
    uint32_t attributes = files.getFileAttributes(path.c_str());
    if (attributes == platform::kInvalidFileAttributes) return !nothingToBackUp(files.getLastError());
    return (attributes & platform::kFileAttributeDirectory) == 0;
}

bool namesAFolder(const std::string& path) {
    uint32_t attributes = platform::files().getFileAttributes(path.c_str());
    return attributes != platform::kInvalidFileAttributes && (attributes & platform::kFileAttributeDirectory) != 0;
}

std::string keyOf(const std::string& path) {
    std::string key = platform::files().fileKeyOf(path.c_str());
    return key.empty() ? "\n" + path : key;
}

bool identityOf(const std::string& path, platform::FileIdentity& identity) {
    platform::Files& files = platform::files();
    const uint32_t everything = platform::kFileShareRead | platform::kFileShareWrite | platform::kFileShareDelete;
    platform::FileHandle handle = files.createFile(path.c_str(), 0, everything, platform::kOpenExisting);
    if (handle == platform::kInvalidFileHandle) return false;
    bool identified = files.getFileInformationByHandle(handle, &identity);
    files.closeHandle(handle);
    return identified;
}

}  // namespace engine
