#pragma once

#include <string>

#include "app/updater_ui.h"
#include "platform/process.h"
#include "platform/registry.h"
#include "platform/shell.h"
#include "platform/ui.h"
#include "tools/patchkit/dry_run/timeline.h"
#include "tools/patchkit/progress.h"

// The platform services a dry run puts in place of the system's, besides the file overlay:
// the updater is started from the package folder, finds the installation it was given,
// is answered OK, and everything it shows goes into the timeline instead of onto a screen.
namespace patchkit {

// The two dialogs, without a screen. The confirmation is answered OK; the progress dialog's
// texts are recorded and drawn as the tool's own progress line on large packages. Cancel is
// never clicked.
class RecordingUpdaterUi final : public app::UpdaterUi {
public:
    RecordingUpdaterUi(Timeline& timeline, Progress& progress) : timeline_(timeline), progress_(progress) {}

    int runConfirmation() override;
    app::ProgressDialog showProgressDialog() override;
    void setStatusText(app::ProgressDialog dialog, const char* text) override;
    void setProgress(app::ProgressDialog dialog, uint32_t percent) override;
    bool pumpOneMessage() override;
    void destroyProgressDialog(app::ProgressDialog dialog) override;

private:
    Timeline& timeline_;
    Progress& progress_;
    uint64_t fileEntries_ = 0;
    uint64_t filesStarted_ = 0;
};

// Message boxes, recorded and answered OK.
class RecordingMessageBoxes final : public platform::Ui {
public:
    explicit RecordingMessageBoxes(Timeline& timeline) : timeline_(timeline) {}
    int messageBox(const char* text, const char* caption, uint32_t type) override;

private:
    Timeline& timeline_;
};

// Shortcuts recorded instead of written. The Programs folders are the system's own; a link is
// made, as the system's call makes it, only where its folder exists, which during the dry run
// is asked of the overlay.
class RecordingShell final : public platform::Shell {
public:
    RecordingShell(platform::Shell& real, Timeline& timeline) : real_(real), timeline_(timeline) {}
    std::string specialFolderPath(int csidl) override { return real_.specialFolderPath(csidl); }
    bool createShellLink(const char* linkPath, const char* targetPath, const char* arguments, const char* workingDirectory,
                         int showCommand) override;

private:
    platform::Shell& real_;
    Timeline& timeline_;
};

// The installation is registered where the update looks: every key opens, and the value
// holds the installation folder, as an installer writes it (with its trailing separator).
class InstallationRegistry final : public platform::Registry {
public:
    explicit InstallationRegistry(std::string installFolder) : value_(std::move(installFolder)) {}
    long openKey(platform::RegistryKey root, const char* subKey, uint32_t access, platform::RegistryKey* result) override;
    long queryValue(platform::RegistryKey key, const char* valueName, uint32_t* type, uint8_t* data, uint32_t* dataSize) override;
    long closeKey(platform::RegistryKey key) override;

private:
    std::string value_;
};

// The updater as started from the package folder, with "-u" for a removal.
class PackageProcess final : public platform::Process {
public:
    PackageProcess(std::string modulePath, bool removal)
        : modulePath_(std::move(modulePath)), commandLine_(removal ? "\"Update.exe\" -u" : "\"Update.exe\"") {}
    uint32_t getModuleFileName(char* buffer, uint32_t size) override;
    const char* getCommandLine() override { return commandLine_.c_str(); }

private:
    std::string modulePath_;
    std::string commandLine_;
};

}  // namespace patchkit
