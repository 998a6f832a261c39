#include <string>

#include "manifest/manifests.h"
#include "manifest/package_names.h"
#include "manifest/whole_transfers.h"
#include "platform/file_path.h"
#include "platform/files.h"
#include "support/file.h"

namespace manifest {
namespace {

// Beside the record, so that the replacing move stays within one folder and one volume.
std::string folderOf(const std::string& path) { return path.substr(0, path.size() - platform::fileNameOf(path).size()); }

// Makes a temporary file of its own under the first name of the pattern that is free: a file
// or folder of the name, whatever it is (a product's own, or what a killed save left), is
// passed over and never opened. False when none could be made.
bool createTemporary(const std::string& folder, support::CFile& file, std::string& path) {
    platform::Files& files = platform::files();
    for (unsigned counter = 1; counter <= kRecordTemporaryCount; ++counter) {
        path = folder + recordTemporaryName(counter);
        if (file.open(path, support::FileOpenMode::WriteNew)) return true;
        uint32_t error = files.getLastError();
        if (error != platform::kErrorFileExists && error != platform::kErrorAlreadyExists) return false;
    }
    return false;
}

bool writeFlushed(support::CFile& file, const UninstallManifest& manifest) {
    return writeAll(file, &manifest.header, sizeof manifest.header) &&
           writeAll(file, manifest.entries(), static_cast<uint64_t>(manifest.header.entryCount) * sizeof(ManifestEntry)) &&
           file.flush();
}

}  // namespace

// The uninstaller works from this file, so it is never left partial or empty: the whole
// record goes to a temporary file first, is flushed to the disk, and then takes the record's
// place in one move. Whatever fails on the way, the temporary file goes and the old record
// stays as it was.
void saveUninstallManifest(const std::string& path, const UninstallManifest& manifest) {
    platform::Files& files = platform::files();
    // A read-only record is left as it is, and nothing is said. The attribute is looked at
    // here because the move alone would not tell: Windows refuses to move onto a read-only
    // file, Wine does it.
    uint32_t attributes = files.getFileAttributes(path.c_str());
    bool exists = attributes != platform::kInvalidFileAttributes;
    if (exists && (attributes & (platform::kFileAttributeReadOnly | platform::kFileAttributeDirectory))) return;

    support::CFile file;
    std::string temporary;
    if (!createTemporary(folderOf(path), file, temporary)) return;
    bool written = writeFlushed(file, manifest);
    file.close();
    // The new file starts with normal attributes; a hidden or system record stays so. Wine's
    // ReplaceFileA would not keep them, which is one reason the replacing is done here by hand.
    bool saved = written && (!exists || files.setFileAttributes(temporary.c_str(), attributes & platform::kSettableFileAttributes)) &&
                 files.moveFileReplace(temporary.c_str(), path.c_str());
    if (!saved) files.deleteFile(temporary.c_str());
}

}  // namespace manifest
