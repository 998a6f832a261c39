// Update manifests whose entry names would leave the installation or the data folder, or
// name a device: each kind that start-up refuses, run for real with the prefix's Z: drive (the
// host's root) removed. The updater refuses each with the message for an unreadable update
// manifest, and nothing outside the installation, nor in it, changes.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "tests/e2e/harness/outcome_texts.h"
#include "tests/e2e/harness/updater_case.h"
#include "tests/support/manifest_builder.h"
#include "tests/wine_driver/dialog.h"

namespace {

namespace fs = std::filesystem;
using e2e::FolderState;

const std::string kOutside = "C:\\ゲーム\\";  // holds the installation, and a file beside it

std::set<std::string> namesIn(const std::string& hostFolder) {
    std::set<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(hostFolder)) names.insert(entry.path().filename().string());
    return names;
}

class HostileNames : public e2e::UpdaterCase {};

TEST_F(HostileNames, EachKindIsRefusedAndNothingIsTouched) {
    aimUpdateAtInstallation();
    installation().addFile("表計算.exe", std::string(3000, 'x'));
    installation().install(kRegistryKey, kRegistryValue);
    session().writeFile(kOutside + "外.txt", "beside the installation");
    // What "..\外.txt" would copy from: the folder above data\.
    session().writeFile(std::string(kUpdateFolder) + "外.txt", "payload outside data");
    session().removeDrive('z');

    FolderState outsideBefore = FolderState::of(session().hostPath(kOutside));
    std::set<std::string> driveBefore = namesIn(session().hostPath("C:\\"));
    for (const std::string name : {"..\\外.txt", "\\外.txt", "Z:\\tmp\\外.txt", "表計算.exe:stream", "外.txt.", "nul.txt"}) {
        SCOPED_TRACE("entry " + wine_driver::readable(name));
        update().entries = {testing_support::entry(name, 20)};
        update().writeUnchecked();
        std::unique_ptr<wine_driver::WineProgram> updater = startUpdater();
        std::optional<wine_driver::Dialog> box = probe().waitForDialog();
        ASSERT_TRUE(box) << "no message box\n" << updater->errors();
        e2e::expectMessageBox(*box, e2e::kUpdateManifestUnreadable, probe().defaultMessageBoxCaption());
        ASSERT_TRUE(probe().press(*box, wine_driver::kIdOk)) << updater->errors();
        std::optional<int> exitCode = updater->waitForExit();
        ASSERT_TRUE(exitCode) << "Update.exe still runs after OK";
        EXPECT_EQ(*exitCode, 0);
    }
    FolderState outsideAfter = FolderState::of(session().hostPath(kOutside));
    EXPECT_TRUE(outsideAfter == outsideBefore) << outsideAfter.differencesFrom(outsideBefore);
    EXPECT_EQ(namesIn(session().hostPath("C:\\")), driveBefore);
    EXPECT_FALSE(fs::exists("/tmp/外.txt"));
}

}  // namespace
