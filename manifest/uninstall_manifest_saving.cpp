#include <string>

#include "manifest/manifests.h"
#include "manifest/package_names.h"
#include "manifest/whole_transfers.h"
#include "platform/files.h"
#include "support/file.h"

namespace manifest {
namespace {

// Beside the record, so that the replacing move stays within one folder and one volume, and
// no longer than the record's own name, so that a record path within the system's 260 bytes
// gives a temporary path within them too.
constexpr char kTemporaryRecordName[] = "Uninstallinf.tmp";
static_assert(sizeof kTemporaryRecordName <= sizeof kUninstallManifestName);

std::string temporaryPathBeside(const std::string& path) {
    return path.substr(0, path.size() - support::fileNameOf(path).size()) + kTemporaryRecordName;
}

bool writeFlushed(const std::string& path, const UninstallManifest& manifest) {
    support::CFile file;
    if (!file.open(path, support::FileOpenMode::Write)) return false;
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

    std::string temporary = temporaryPathBeside(path);
    // A save killed after it gave the temporary file the record's attributes leaves it hidden
    // or system, and Windows refuses to empty such a file with normal attributes: without this
    // the next save would fail, and the record would miss that run's files.
    files.setFileAttributes(temporary.c_str(), platform::kFileAttributeNormal);
    // The new file starts with normal attributes; a hidden or system record stays so. Wine's
    // ReplaceFileA would not keep them, which is one reason the replacing is done here by hand.
    bool saved = writeFlushed(temporary, manifest) &&
                 (!exists || files.setFileAttributes(temporary.c_str(), attributes & platform::kSettableFileAttributes)) &&
                 files.moveFileReplace(temporary.c_str(), path.c_str());
    if (!saved) files.deleteFile(temporary.c_str());
}

}  // namespace manifest
