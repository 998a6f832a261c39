#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "manifest/layouts.h"
#include "manifest/manifests.h"
#include "manifest/package_names.h"

namespace e2e {

class Session;

// Every file under a folder with its bytes and modification time, to show that a run left
// an installation alone (or what it changed).
struct FolderState {
    struct File {
        std::string bytes;
        int64_t modifiedNs = 0;
        bool operator==(const File& other) const { return bytes == other.bytes && modifiedNs == other.modifiedNs; }
    };
    std::map<std::string, File> files;  // relative host path, folders end in "/"

    static FolderState of(const std::string& hostFolder);
    bool operator==(const FolderState& other) const { return files == other.files; }
    // What differs, one line per path, for a failure message.
    std::string differencesFrom(const FolderState& before) const;
};

// An installed product: its folder inside the prefix, the files in it, its Uninstallinf.dat
// written by the product's own saving code, and the registry value under
// HKEY_CURRENT_USER that points at the folder.
class Installation {
public:
    // folder: "C:\...\" with the trailing backslash that the registry value carries.
    Installation(Session& session, std::string folder);

    manifest::UninstallManifest record;

    const std::string& folder() const { return folder_; }
    std::string recordPath() const { return folder_ + manifest::kUninstallManifestName; }

    // A file of the installation, listed in the record with its size.
    void addFile(const std::string& relativeName, const std::string& bytes, uint32_t extra = 0);
    // A folder of the installation; relativeName ends in a backslash.
    void addFolder(const std::string& relativeName);
    // A record of a file that is not there, as a record may hold after a failed run.
    void listOnly(const std::string& relativeName, uint64_t size);
    // Writes Uninstallinf.dat and checks that the product's loader takes it back.
    void writeRecord();
    void registerAt(const std::string& key, const std::string& valueName);
    // Both of the above: an installation that start-up finds.
    void install(const std::string& key, const std::string& valueName);

    FolderState state() const;

private:
    void append(const manifest::ManifestEntry& entry);

    Session& session_;
    std::string folder_;
    std::vector<manifest::ManifestEntry> entries_;
};

// An update as it is handed out: a folder with Update.exe, Updateinf.dat and data\.
class UpdatePackage {
public:
    UpdatePackage(Session& session, std::string folder);

    manifest::UpdateHeader header{};
    std::vector<manifest::ManifestEntry> entries;

    const std::string& folder() const { return folder_; }
    std::string updaterPath() const { return folder_ + "Update.exe"; }
    std::string manifestPath() const { return folder_ + manifest::kUpdateManifestName; }

    // Names the installation's registry key and value.
    void pointAt(const std::string& key, const std::string& valueName);
    void setTexts(const std::string& title, const std::string& updateName, const std::string& note,
                  const std::string& productName);
    // A new file under data\ and its entry.
    void addFile(const std::string& relativeName, const std::string& bytes, uint32_t extra = 0);
    void addFolder(const std::string& relativeName);

    // Update.exe alone, without a manifest.
    void placeUpdater();
    // Update.exe and Updateinf.dat, checked by the product's loader.
    void write();
    // The same for a manifest the loader is meant to refuse.
    void writeUnchecked();

private:
    Session& session_;
    std::string folder_;
};

}  // namespace e2e
