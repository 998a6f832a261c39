#include "tools/patchkit/dry_run/services.h"

#include <cstring>

#include "app/path_helpers.h"
#include "engine/run_state.h"
#include "manifest/layouts.h"
#include "platform/file_path.h"
#include "platform/files.h"
#include "platform/module_file_name.h"

namespace patchkit {

int RecordingUpdaterUi::runConfirmation() {
    timeline_.push_back(RunEvent{RunEvent::Confirmation});
    return 1;
}

app::ProgressDialog RecordingUpdaterUi::showProgressDialog() {
    const manifest::UpdateManifest& update = engine::runState().updateManifest;
    for (uint32_t i = 0; i < update.header.entryCount; ++i) fileEntries_ += !manifest::isDirectoryEntry(update.entries[i]);
    timeline_.push_back(RunEvent{RunEvent::ProgressShown});
    return this;
}

void RecordingUpdaterUi::setStatusText(app::ProgressDialog, const char* text) {
    RunEvent event{RunEvent::StatusText};
    event.text = text;
    timeline_.push_back(event);
    progress_.show("dry run", ++filesStarted_, fileEntries_, "files");
}

// The bar's positions say nothing the report needs: every file's copy ends at 100.
void RecordingUpdaterUi::setProgress(app::ProgressDialog, uint32_t) {}

bool RecordingUpdaterUi::pumpOneMessage() { return false; }

void RecordingUpdaterUi::destroyProgressDialog(app::ProgressDialog) {
    progress_.finish();
    timeline_.push_back(RunEvent{RunEvent::ProgressDestroyed});
}

int RecordingMessageBoxes::messageBox(const char* text, const char* caption, uint32_t) {
    RunEvent event{RunEvent::MessageBox};
    event.text = text;
    event.hasCaption = caption != nullptr;
    event.caption = caption ? caption : "";
    timeline_.push_back(event);
    return 1;
}

bool RecordingShell::createShellLink(const char* linkPath, const char* targetPath, const char* arguments, const char* workingDirectory,
                                     int showCommand) {
    uint32_t folder = platform::files().getFileAttributes(platform::getParentFolder(linkPath).c_str());
    RunEvent event{RunEvent::ShortcutLink};
    event.text = linkPath;
    event.target = targetPath;
    event.arguments = arguments ? arguments : "";
    event.workingDirectory = workingDirectory ? workingDirectory : "";
    event.showCommand = showCommand;
    event.made = folder != platform::kInvalidFileAttributes && (folder & platform::kFileAttributeDirectory);
    timeline_.push_back(event);
    return event.made;
}

long InstallationRegistry::openKey(platform::RegistryKey, const char*, uint32_t, platform::RegistryKey* result) {
    *result = this;
    return platform::kErrorSuccess;
}

long InstallationRegistry::queryValue(platform::RegistryKey, const char*, uint32_t* type, uint8_t* data, uint32_t* dataSize) {
    uint32_t size = static_cast<uint32_t>(value_.size() + 1);
    if (type) *type = platform::kRegSz;
    if (data && *dataSize < size) {
        *dataSize = size;
        return platform::kErrorMoreData;
    }
    if (data) std::memcpy(data, value_.c_str(), size);
    *dataSize = size;
    return platform::kErrorSuccess;
}

long InstallationRegistry::closeKey(platform::RegistryKey) { return platform::kErrorSuccess; }

uint32_t PackageProcess::getModuleFileName(char* buffer, uint32_t size) {
    return platform::reportModuleFileName(modulePath_, buffer, size);
}

}  // namespace patchkit
