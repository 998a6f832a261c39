#include "tests/support/plain_update.h"

#include <cstring>
#include <regex>
#include <string>

#include "app/messages.h"
#include "app/path_helpers.h"
#include "app/startup.h"
#include "app/updater_ui.h"
#include "engine/apply_update.h"
#include "engine/backup_name.h"
#include "engine/copy_progress.h"
#include "engine/engine_messages.h"
#include "engine/rollback.h"
#include "engine/run_state.h"
#include "manifest/package_names.h"
#include "platform/file_path.h"
#include "platform/files.h"
#include "platform/process.h"
#include "platform/shell.h"
#include "platform/text.h"
#include "platform/ui.h"
#include "support/file.h"
#include "support/text_template.h"

namespace testing_support {
namespace {

using manifest::ManifestEntry;

void show(const std::string& text, const char* caption = nullptr) { platform::ui().messageBox(text.c_str(), caption, platform::kMbOk); }

void keepRecordInStep(const ManifestEntry& entry, bool removal) {
    manifest::UninstallManifest& record = engine::runState().uninstallManifest;
    uint32_t match = record.findEntry(entry.name);
    if (match == record.header.entryCount) {
        if (!removal) record.appendEntry(entry);
    } else if (removal) {
        record.removeEntry(match, entry);
    } else {
        record.updateEntry(match, entry);
    }
}

bool applyFile(app::UpdaterUi& ui, app::ProgressDialog dialog, const ManifestEntry& entry, const std::string& install,
               const std::string& data, bool& copiesWhole) {
    engine::RunState& run = engine::runState();
    platform::Files& files = platform::files();
    support::CFile target, source;
    std::string targetPath = install + entry.name;
    ui.setStatusText(dialog, (entry.name + std::string(run.RemovalMode ? engine::messages::kDeletingSuffix : engine::messages::kCopyingSuffix)).c_str());
    files.setFileAttributes(targetPath.c_str(), platform::kFileAttributeNormal);
    if (run.RemovalMode) {
        if (!files.deleteFile(targetPath.c_str())) {
            show(targetPath + engine::messages::kDeleteFailedSuffix);
            return false;
        }
    } else {
        files.setFileAttributes(engine::backupPathOf(targetPath).c_str(), platform::kFileAttributeNormal);
        if (files.moveFileReplace(targetPath.c_str(), engine::backupPathOf(targetPath).c_str())) {
            run.changeJournal.backupFiles.push_back(engine::backupPathOf(targetPath));
        }
        if (!target.open(targetPath, support::FileOpenMode::Write)) {
            show(targetPath + engine::messages::kOpenFailedSuffix);
            return false;
        }
        run.changeJournal.writtenFiles.push_back(targetPath);
        if (!source.open(data + entry.name, support::FileOpenMode::Read)) {
            show(data + entry.name + engine::messages::kOpenFailedSuffix);
            return false;
        }
        for (;;) {
            uint32_t value = engine::progressValue(source.size(), source.tell());
            ui.setProgress(dialog, value + 1);
            ui.setProgress(dialog, value);
            if (target.copyFrom(source, engine::kChunkSize) < engine::kChunkSize) break;
            ui.pumpOneMessage();
            if (run.cancelRequested == 1) return false;
        }
        copiesWhole = copiesWhole && target.size() == source.size();
        for (uint32_t value : {100, 99, 100}) ui.setProgress(dialog, value);
    }
    keepRecordInStep(entry, run.RemovalMode);
    return true;
}

bool applyUpdate(app::UpdaterUi& ui, app::ProgressDialog dialog, const std::string& install, const std::string& data, bool& copiesWhole) {
    engine::RunState& run = engine::runState();
    engine::createDirectoryChain(install);
    for (uint32_t i = 0; i < run.updateManifest.header.entryCount; ++i) {
        const ManifestEntry& entry = run.updateManifest.entries[i];
        if (!manifest::isDirectoryEntry(entry)) {
            if (!applyFile(ui, dialog, entry, install, data, copiesWhole)) return false;
        } else if (!run.RemovalMode) {
            engine::createDirectoryChain(install + entry.name);
            run.changeJournal.createdDirectories.push_back(install + entry.name);
            if (run.uninstallManifest.findEntry(entry.name) == run.uninstallManifest.header.entryCount) run.uninstallManifest.appendEntry(entry);
        }
    }
    return true;
}

// The README's refusal for shortcut names, of the shortcut folder and of each link as it is
// joined below the Programs folder (the folder, the name and ".lnk"): a template the updater
// cannot read plainly, or a name with a ':' or a component that is "." or "..", ends in a dot
// or a blank, or is a device (before a dot or blanks), which would lead out of its folder or
// to the device.
std::string expanded(const char* nameTemplate, bool& usable, const std::string& folder = "", const char* suffix = "") {
    static const std::regex refused(R"(:|\\\.\.?\\|[. ]\\|\\(con|prn|aux|nul|conin\$|conout\$|com[1-9]|lpt[1-9]) *(\.[^\\]*)?\\)",
                                    std::regex::icase);
    support::ExpandedTemplate name = support::expandTemplate(nameTemplate, engine::runState().uninstallManifest.header.templateArgument);
    std::string components = "\\" + folder + name.text + suffix + "\\";
    for (char& c : components) c = c == '/' ? '\\' : c;
    usable = usable && name.usable() && !std::regex_search(components, refused);
    return name.text;
}

void createShortcuts(const std::string& install) {
    const manifest::UpdateHeader& update = engine::runState().updateManifest.header;
    manifest::UninstallHeader& installed = engine::runState().uninstallManifest.header;
    platform::Shell& shell = platform::shell();
    bool folderUsable = true;
    std::string folder = expanded(installed.shortcutFolderTemplate, folderUsable);
    if (!folderUsable) return;
    std::string user = shell.specialFolderPath(platform::kCsidlPrograms), common = shell.specialFolderPath(platform::kCsidlCommonPrograms);
    platform::ensureTrailingSeparator(user);
    platform::ensureTrailingSeparator(common);
    user += folder;
    common += folder;
    for (size_t k = 0; k < manifest::kShortcutSlotCount; ++k) {
        const manifest::ShortcutSlot& wanted = update.shortcuts[k];
        manifest::ShortcutSlot& slot = installed.shortcuts[k];
        if (!wanted.nameTemplate[0] || (platform::equalsIgnoringAsciiCase(wanted.nameTemplate, slot.nameTemplate) &&
                                        platform::equalsIgnoringAsciiCase(wanted.target, slot.target))) {
            continue;
        }
        bool usable = true;
        std::string name = expanded(wanted.nameTemplate, usable, folder, ".lnk");
        std::string oldName = slot.nameTemplate[0] ? expanded(slot.nameTemplate, usable, folder, ".lnk") : "";
        if (!usable) continue;
        bool allUsers = false;
        if (slot.nameTemplate[0]) {
            platform::files().deleteFile((user + oldName + ".lnk").c_str());
            if (platform::files().getFileAttributes(common.c_str()) != platform::kInvalidFileAttributes) {
                allUsers = platform::files().deleteFile((common + oldName + ".lnk").c_str());
            }
        }
        std::string target = install + wanted.target, arguments;
        size_t exe = platform::foldedAsciiCase(target).find(".exe");
        if (exe != std::string::npos && exe + 4 < target.size() && target[exe + 4] == ' ') {
            arguments = target.substr(exe + 5);
            target.resize(exe + 4);
        }
        shell.createShellLink((user + name + ".lnk").c_str(), target.c_str(), arguments.c_str(), install.c_str(), platform::kSwShowNormal);
        if (allUsers) shell.createShellLink((common + name + ".lnk").c_str(), target.c_str(), arguments.c_str(), install.c_str(), platform::kSwShowNormal);
        std::memset(&slot, 0, sizeof slot);
        std::memcpy(slot.nameTemplate, wanted.nameTemplate, std::strlen(wanted.nameTemplate));
        std::memcpy(slot.target, wanted.target, std::strlen(wanted.target));
    }
}

}  // namespace

app::RunOutcome runPlainUpdater(bool& copiesWhole) {
    app::CRegistry key;
    if (!app::startUp(platform::process().getCommandLine(), key)) return app::RunOutcome::StartUpRefused;
    app::UpdaterUi& ui = app::updaterUi();
    int confirmation = ui.runConfirmation();
    if (confirmation == 0 || confirmation == -1) return app::RunOutcome::Declined;
    engine::RunState& run = engine::runState();
    run.UpdateDataFolder = run.UpdateFolder + manifest::kPayloadFolderName + "\\";
    run.InstallFolder = run.installationValue;
    platform::ensureTrailingSeparator(run.InstallFolder);
    app::ProgressDialog dialog = ui.showProgressDialog();
    bool succeeded = applyUpdate(ui, dialog, run.InstallFolder, run.UpdateDataFolder, copiesWhole);
    ui.destroyProgressDialog(dialog);
    app::RunOutcome outcome = succeeded ? app::RunOutcome::Succeeded : run.RemovalMode ? app::RunOutcome::Failed : app::RunOutcome::RolledBack;
    if (succeeded) {
        show(run.RemovalMode ? app::messages::kRemovalCompleted : app::messages::kUpdateCompleted, app::messages::kCompletedCaption);
        createShortcuts(run.InstallFolder);
        for (size_t k = 0; k < manifest::kCarriedStringCount; ++k) {
            const char* carried = run.updateManifest.header.carriedStrings[k];
            if (!carried[0]) continue;
            std::memset(run.uninstallManifest.header.carriedStrings[k], 0, manifest::kHeaderTextWidth);
            std::memcpy(run.uninstallManifest.header.carriedStrings[k], carried, std::strlen(carried));
        }
    } else if (run.RemovalMode) {
        show(app::messages::kRemovalFailed);
    } else {
        engine::rollbackChanges();
        show(app::messages::kUpdateFailed);
    }
    manifest::saveUninstallManifest(run.uninstallManifestPath, run.uninstallManifest);
    return outcome;
}

}  // namespace testing_support
