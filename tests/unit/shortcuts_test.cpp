// createShortcuts over the native shell, with the Programs folders pointed into a scratch
// folder: what is deleted, what is written, and what the installation's record says after.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

#include "engine/run_state.h"
#include "engine/shortcuts.h"
#include "tests/fakes/recording_files.h"
#include "tests/fakes/recording_shell.h"
#include "tests/support/manifest_builder.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/shortcut_file.h"
#include "tests/support/fresh_run_state.h"

namespace {

using manifest::ShortcutSlot;
using testing_support::setText;

const std::string kInstallFolder = "C:\\Program Files\\製品\\";

class Shortcuts : public ::testing::Test {
protected:
    testing_support::FreshRunState runState;
    testing_support::ScratchFolder root;
    fakes::RecordingFiles files;
    fakes::RecordingShell shell;
    manifest::UpdateHeader& update = engine::runState().updateManifest.header;
    manifest::UninstallHeader& installed = engine::runState().uninstallManifest.header;

    // Per-user Programs in "u", all-users in "c": equal lengths, so one path bound fits both.
    void SetUp() override {
        for (const char* folder : {"u\\", "u\\製品\\", "c\\"}) root.makeFolder(folder);
        shell.answer(platform::kCsidlPrograms, root / "u");
        shell.answer(platform::kCsidlCommonPrograms, root / "c");
        setText(installed.templateArgument, "製品");
        setText(installed.shortcutFolderTemplate, "%s\\");
    }

    static void fill(ShortcutSlot& slot, const std::string& nameTemplate, const std::string& target) {
        setText(slot.nameTemplate, nameTemplate);
        setText(slot.target, target);
    }
    std::string link(const char* programs, const std::string& name) const { return root / (programs + ("\\製品\\" + name + ".lnk")); }
    void expectShortcut(const std::string& linkPath, const std::string& target, const std::string& arguments = "") const {
        testing_support::ShortcutFile file = testing_support::readShortcut(linkPath);
        ASSERT_TRUE(file.loaded) << linkPath;
        EXPECT_EQ(file.targetPath, target);
        EXPECT_EQ(file.arguments, arguments);
        EXPECT_EQ(file.workingDirectory, kInstallFolder);
        EXPECT_EQ(file.showCommand, 1);
    }
    bool recorded(size_t k) const { return std::memcmp(&installed.shortcuts[k], &update.shortcuts[k], sizeof(ShortcutSlot)) == 0; }
};

TEST_F(Shortcuts, ANewSlotGetsOnlyAPerUserShortcutAndIsRecordedOverZeroBytes) {
    root.makeFolder("c\\製品\\");
    fill(update.shortcuts[0], "%s", "Product.exe");
    std::memset(installed.shortcuts[0].target, 'x', 259);  // left over behind an empty name
    EXPECT_TRUE(engine::createShortcuts(kInstallFolder));
    EXPECT_EQ(files.count("deleteFile"), 0);
    expectShortcut(link("u", "製品"), kInstallFolder + "Product.exe");
    EXPECT_FALSE(root.exists("c\\製品\\製品.lnk"));
    EXPECT_TRUE(recorded(0));
}

TEST_F(Shortcuts, ANewTargetReplacesThePerUserShortcutOnlyWhereNoAllUsersOneWasFound) {
    root.makeFolder("c\\製品\\");
    fill(installed.shortcuts[2], "%s", "Old.exe");
    fill(update.shortcuts[2], "%s", "New.exe -x");
    root.writeBytes("u\\製品\\製品.lnk", "old");
    engine::createShortcuts(kInstallFolder);
    expectShortcut(link("u", "製品"), kInstallFolder + "New.exe", "-x");
    EXPECT_FALSE(root.exists("c\\製品\\製品.lnk"));
    EXPECT_TRUE(recorded(2)) << "the whole target, arguments included";
}

TEST_F(Shortcuts, AnOldAllUsersShortcutIsDeletedAndTheNewOneMadeInBothFolders) {
    root.makeFolder("c\\製品\\");
    fill(installed.shortcuts[1], "%s 旧版", "Old.exe");
    fill(update.shortcuts[1], "%s", "New.exe");
    root.writeBytes("u\\製品\\製品 旧版.lnk", "old");
    root.writeBytes("c\\製品\\製品 旧版.lnk", "old");
    engine::createShortcuts(kInstallFolder);
    EXPECT_FALSE(root.exists("u\\製品\\製品 旧版.lnk"));
    EXPECT_FALSE(root.exists("c\\製品\\製品 旧版.lnk"));
    expectShortcut(link("u", "製品"), kInstallFolder + "New.exe");
    expectShortcut(link("c", "製品"), kInstallFolder + "New.exe");
}

TEST_F(Shortcuts, SlotsEqualUnderAsciiFoldingOrUnusedInTheUpdateAreLeftAlone) {
    fill(installed.shortcuts[0], "%s TOOL", "BIN\\tool.EXE");  // no file on disk: none is looked for
    fill(update.shortcuts[0], "%s Tool", "bin\\Tool.exe");
    fill(installed.shortcuts[1], "%s", "a.exe");
    root.writeBytes("u\\製品\\製品.lnk", "kept");
    fill(installed.shortcuts[2], "ア", "a.exe");  // 83 41 and 83 61: trail bytes fold too
    fill(update.shortcuts[2], "ヂ", "a.exe");
    fill(installed.shortcuts[4], "@", "a.exe");  // 0x40 and 0x60 lie outside A-Z
    fill(update.shortcuts[4], "`", "a.exe");
    manifest::UninstallHeader before = installed;
    engine::createShortcuts(kInstallFolder);
    EXPECT_EQ(files.count("deleteFile"), 1);
    ASSERT_EQ(shell.links.size(), 1u);
    EXPECT_EQ(shell.links[0].linkPath, link("u", "`"));
    EXPECT_EQ(root.readBytes("u\\製品\\製品.lnk"), "kept");
    for (size_t k : {0, 1, 2}) EXPECT_EQ(std::memcmp(&installed.shortcuts[k], &before.shortcuts[k], sizeof(ShortcutSlot)), 0) << k;
}

TEST_F(Shortcuts, TheTargetSplitsAtTheFirstExeFollowedByABlank) {
    struct Row {
        std::string installFolder, target, path, arguments;
    } rows[] = {
        {kInstallFolder, "Tool.exe /a b", kInstallFolder + "Tool.exe", "/a b"},
        {kInstallFolder, "Tool.EXE -x", kInstallFolder + "Tool.EXE", "-x"},
        {kInstallFolder, "readme.txt", kInstallFolder + "readme.txt", ""},
        {kInstallFolder, "Tool.exe", kInstallFolder + "Tool.exe", ""},
        {kInstallFolder, "a.exex b.exe c", kInstallFolder + "a.exex b.exe c", ""},
        {"C:\\My.exe Tools\\", "Tool.exe -x", "C:\\My.exe", "Tools\\Tool.exe -x"},
    };
    for (const Row& row : rows) {
        fill(update.shortcuts[0], "%s", row.target);
        setText(installed.shortcuts[0].nameTemplate, "");
        engine::createShortcuts(row.installFolder);
        testing_support::ShortcutFile file = testing_support::readShortcut(link("u", "製品"));
        EXPECT_EQ(file.targetPath, row.path) << row.target;
        EXPECT_EQ(file.arguments, row.arguments) << row.target;
    }
}

TEST_F(Shortcuts, AMissingPerUserFolderGetsNoFileYetTheSlotIsRecorded) {
    setText(installed.shortcutFolderTemplate, "無い\\");
    fill(update.shortcuts[0], "%s", "Product.exe");
    engine::createShortcuts(kInstallFolder);
    ASSERT_EQ(shell.links.size(), 1u);
    EXPECT_FALSE(root.exists("u\\無い\\製品.lnk"));
    EXPECT_TRUE(recorded(0));
}

// A template with any '%' sequence but one "%s" and "%%", a name that leads out of the
// shortcut folder, or a name or path beyond 259 bytes, skips the slot whole: nothing deleted,
// created or recorded.
TEST_F(Shortcuts, ASlotWhoseNamesCannotBeComposedIsSkippedWhole) {
    size_t linkRoom = 259 - link("c", "").size();  // the longest shortcut name that fits
    struct Row {
        const char* why;
        std::function<void()> arrange;
        bool skipped;
    } rows[] = {
        {"conversion", [&] { setText(update.shortcuts[0].nameTemplate, "%d"); }, true},
        {"second %s", [&] { setText(update.shortcuts[0].nameTemplate, "%s%s"); }, true},
        {"lone %", [&] { setText(update.shortcuts[0].nameTemplate, "100%"); }, true},
        {"old template", [&] { setText(installed.shortcuts[0].nameTemplate, "%x"); }, true},
        {"folder template", [&] { setText(installed.shortcutFolderTemplate, "%s\\%d"); }, true},
        {"folder leaves the Programs folders", [&] { setText(installed.shortcutFolderTemplate, "..\\..\\%s\\"); }, true},
        {"link path", [&] { setText(update.shortcuts[0].nameTemplate, std::string(linkRoom + 1, 'n')); }, true},
        {"link path fits", [&] { setText(update.shortcuts[0].nameTemplate, std::string(linkRoom - 1, 'n') + "%%"); }, false},
        {"name, no folder resolved",
         [&] {
             shell.answer(platform::kCsidlPrograms, "");
             shell.answer(platform::kCsidlCommonPrograms, "");
             setText(update.shortcuts[0].nameTemplate, std::string(257, 'n') + "%s");
         },
         true},
        {"name leaves the folder", [&] { setText(update.shortcuts[0].nameTemplate, "..\\..\\Startup\\%s"); }, true},
        {"name through '.'", [&] { setText(update.shortcuts[0].nameTemplate, "sub\\.\\%s"); }, true},
        {"name with a drive", [&] { setText(update.shortcuts[0].nameTemplate, "C:%s"); }, true},
        {"old name leaves the folder", [&] { setText(installed.shortcuts[0].nameTemplate, "..\\%s"); }, true},
        {"name in a sub-folder, dots inside and at its end", [&] { setText(update.shortcuts[0].nameTemplate, "..sub.x\\%s.."); }, false},
        {"target", [&] { setText(update.shortcuts[0].target, std::string(260 - kInstallFolder.size(), 't')); }, true},
        {"target fits", [&] { setText(update.shortcuts[0].target, std::string(259 - kInstallFolder.size(), 't')); }, false},
    };
    for (const Row& row : rows) {
        runState.startOver();
        SetUp();
        fill(installed.shortcuts[0], "%s", "Old.exe");
        fill(update.shortcuts[0], "%s 新", "New.exe");
        row.arrange();
        manifest::ShortcutSlot before = installed.shortcuts[0];
        fakes::RecordingFiles rowFiles;
        fakes::RecordingShell rowShell;
        engine::createShortcuts(kInstallFolder);
        bool untouched = rowFiles.count("deleteFile") == 0 && rowShell.links.empty() &&
                         std::memcmp(&installed.shortcuts[0], &before, sizeof before) == 0;
        EXPECT_EQ(untouched, row.skipped) << row.why;
    }
}

TEST_F(Shortcuts, AnUnresolvedProgramsFolderGetsNoFileOperationYetTheSlotIsRecorded) {
    for (int unresolved : {platform::kCsidlPrograms, platform::kCsidlCommonPrograms}) {
        SetUp();
        shell.answer(unresolved, "");
        fill(installed.shortcuts[0], "%s", "Old.exe");
        fill(update.shortcuts[0], "%s", "New.exe");
        size_t callsBefore = files.calls.size();
        shell.links.clear();
        engine::createShortcuts(kInstallFolder);
        for (size_t c = callsBefore; c < files.calls.size(); ++c) {
            EXPECT_NE(files.calls[c].path.find(root.path()), std::string::npos) << "relative: " << files.calls[c].path;
        }
        EXPECT_EQ(shell.links.size(), unresolved == platform::kCsidlPrograms ? 0u : 1u);
        EXPECT_TRUE(recorded(0));
    }
}

}  // namespace
