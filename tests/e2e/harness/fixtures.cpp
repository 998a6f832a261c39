#include "tests/e2e/harness/fixtures.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "platform/text_encoding.h"
#include "support/file.h"
#include "tests/e2e/harness/session.h"
#include "tests/support/manifest_builder.h"
#include "tests/wine_driver/child_process.h"
#include "tests/wine_driver/dialog.h"

namespace fs = std::filesystem;

namespace e2e {
namespace {

// The product's file code takes paths in code page 932; the host's are UTF-8.
std::string productNameOfHostPath(const std::string& hostPath) {
    std::string cp932;
    if (!platform::utf8ToCp932(hostPath, cp932)) ADD_FAILURE() << "host path not in code page 932: " << hostPath;
    return cp932;
}

}  // namespace

FolderState FolderState::of(const std::string& hostFolder) {
    FolderState state;
    std::error_code error;
    for (auto it = fs::recursive_directory_iterator(hostFolder, error); !error && it != fs::recursive_directory_iterator();
         it.increment(error)) {
        std::string relative = fs::relative(it->path(), hostFolder).string();
        File file;
        file.modifiedNs = std::chrono::duration_cast<std::chrono::nanoseconds>(
                              fs::last_write_time(it->path()).time_since_epoch())
                              .count();
        if (it->is_directory()) {
            relative += "/";
        } else {
            file.bytes = wine_driver::readWholeFile(it->path().string());
        }
        state.files[relative] = file;
    }
    return state;
}

std::string FolderState::differencesFrom(const FolderState& before) const {
    std::ostringstream text;
    for (const auto& [path, file] : before.files) {
        auto now = files.find(path);
        if (now == files.end()) {
            text << "removed  " << path << "\n";
        } else if (now->second.bytes != file.bytes) {
            text << "changed  " << path << " (" << file.bytes.size() << " -> " << now->second.bytes.size() << " bytes)\n";
        } else if (now->second.modifiedNs != file.modifiedNs) {
            text << "touched  " << path << "\n";
        }
    }
    for (const auto& [path, file] : files) {
        if (!before.files.count(path)) text << "added    " << path << "\n";
    }
    return text.str();
}

Installation::Installation(Session& session, std::string folder) : session_(session), folder_(std::move(folder)) {
    testing_support::setText(record.header.templateArgument, "");
}

void Installation::append(const manifest::ManifestEntry& entry) {
    entries_.push_back(entry);
    record.header.entryCount = static_cast<uint32_t>(entries_.size());
    if (!manifest::isDirectoryEntry(entry)) {
        record.header.fileCount += 1;
        record.header.totalBytes += entry.size;
    }
}

void Installation::addFile(const std::string& relativeName, const std::string& bytes, uint32_t extra) {
    session_.writeFile(folder_ + relativeName, bytes);
    append(testing_support::entry(relativeName, bytes.size(), extra));
}

void Installation::addFolder(const std::string& relativeName) {
    session_.makeFolder(folder_ + relativeName);
    append(testing_support::entry(relativeName));
}

void Installation::listOnly(const std::string& relativeName, uint64_t size) {
    append(testing_support::entry(relativeName, size));
}

void Installation::writeRecord() {
    session_.makeFolder(folder_);
    auto slots = std::make_unique<manifest::ManifestEntry[]>(entries_.size());
    std::copy(entries_.begin(), entries_.end(), slots.get());
    record.assign(record.header, std::move(slots), entries_.size());
    std::string path = productNameOfHostPath(session_.hostPath(recordPath()));
    manifest::saveUninstallManifest(path, record);
    session_.track(recordPath());

    manifest::UninstallManifest loaded;
    ASSERT_EQ(manifest::loadUninstallManifest(path, 0, loaded), manifest::LoadResult::Loaded)
        << "the fixture's Uninstallinf.dat is not one the updater accepts";
}

void Installation::registerAt(const std::string& key, const std::string& valueName) {
    ASSERT_TRUE(session_.probe().setCurrentUserString(key, valueName, folder_))
        << "cannot store HKEY_CURRENT_USER\\" << wine_driver::readable(key) << " " << wine_driver::readable(valueName);
}

void Installation::install(const std::string& key, const std::string& valueName) {
    writeRecord();
    registerAt(key, valueName);
}

FolderState Installation::state() const { return FolderState::of(session_.hostPath(folder_)); }

UpdatePackage::UpdatePackage(Session& session, std::string folder) : session_(session), folder_(std::move(folder)) {}

void UpdatePackage::pointAt(const std::string& key, const std::string& valueName) {
    testing_support::setText(header.registryKey, key);
    testing_support::setText(header.registryValue, valueName);
}

void UpdatePackage::setTexts(const std::string& title, const std::string& updateName, const std::string& note,
                             const std::string& productName) {
    testing_support::setText(header.title, title);
    testing_support::setText(header.updateName, updateName);
    testing_support::setText(header.note, note);
    testing_support::setText(header.productName, productName);
}

void UpdatePackage::addFile(const std::string& relativeName, const std::string& bytes, uint32_t extra) {
    session_.writeFile(folder_ + manifest::kPayloadFolderName + "\\" + relativeName, bytes);
    entries.push_back(testing_support::entry(relativeName, bytes.size(), extra));
}

void UpdatePackage::addFolder(const std::string& relativeName) {
    session_.makeFolder(folder_ + manifest::kPayloadFolderName + "\\" + relativeName);
    entries.push_back(testing_support::entry(relativeName));
}

void UpdatePackage::placeUpdater() {
    session_.copyFromHost(session_.build().updater, updaterPath());
    session_.makeFolder(folder_ + manifest::kPayloadFolderName + "\\");
}

void UpdatePackage::write() {
    writeUnchecked();
    if (::testing::Test::HasFatalFailure()) return;
    manifest::UpdateManifest loaded;
    ASSERT_EQ(manifest::loadUpdateManifest(productNameOfHostPath(session_.hostPath(manifestPath())), loaded),
              manifest::LoadResult::Loaded)
        << "the fixture's Updateinf.dat is not one the updater accepts";
}

void UpdatePackage::writeUnchecked() {
    placeUpdater();
    header.entryCount = static_cast<uint32_t>(entries.size());
    std::string path = productNameOfHostPath(session_.hostPath(manifestPath()));
    {
        // Written through the product's own file object, field layout and all.
        support::CFile file;
        ASSERT_TRUE(file.open(path, support::FileOpenMode::Write));
        std::string bytes = testing_support::manifestBytes(header, entries);
        ASSERT_EQ(file.write(bytes.data(), static_cast<uint32_t>(bytes.size())), bytes.size());
    }
    session_.track(manifestPath());
}

}  // namespace e2e
