// Start-up failures of Update.exe under Wine: the one message box each shows, and that
// nothing is changed before the user has been asked anything.
#include <gtest/gtest.h>

#include "tests/e2e/harness/outcome_texts.h"
#include "tests/e2e/harness/updater_case.h"

namespace {

using wine_driver::Dialog;
using e2e::FolderState;

const std::string kProductName = "ソフト表示デモ";
const std::string kNotInstalled = kProductName + "が正常にインストールされていません\nインストール後、実行してください";

class StartUpFailure : public e2e::UpdaterCase {
protected:
    // The update that every case starts from: valid, pointing at the installation's key.
    void SetUp() override {
        UpdaterCase::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        update().setTexts("表計算ソフト", "バージョン2.0へのアップデート", "起動中のソフトは終了してください", kProductName);
        update().pointAt(kRegistryKey, kRegistryValue);
        installation().addFolder("データ\\");
        installation().addFile("表計算.exe", std::string(3000, 'x'));
        installation().addFile("データ\\表.dat", "old contents");
    }

    // Runs the updater to its one message box, checks it, presses OK and checks that the
    // process then ends with exit code 0.
    void expectOnlyMessage(const std::string& text, const std::vector<std::string>& arguments = {},
                           const std::string& screenshotLabel = "") {
        std::unique_ptr<wine_driver::WineProgram> updater = startUpdater(arguments);
        std::optional<Dialog> box = probe().waitForDialog();
        ASSERT_TRUE(box) << "no message box appeared\n" << updater->errors();
        e2e::expectMessageBox(*box, text, probe().defaultMessageBoxCaption());
        if (!screenshotLabel.empty()) session().screenshot(screenshotLabel);
        ASSERT_TRUE(probe().press(*box, wine_driver::kIdOk));
        std::optional<int> exitCode = updater->waitForExit();
        ASSERT_TRUE(exitCode) << "Update.exe still runs after OK";
        EXPECT_EQ(*exitCode, 0);
    }
};

TEST_F(StartUpFailure, WithoutUpdateManifestSaysTheUpdateInformationCannotBeOpened) {
    update().placeUpdater();
    installation().install(kRegistryKey, kRegistryValue);
    expectOnlyMessage(e2e::kUpdateManifestUnreadable, {}, "f1-message");
}

TEST_F(StartUpFailure, WithoutUpdateManifestInRemovalModeToo) {
    update().placeUpdater();
    expectOnlyMessage(e2e::kUpdateManifestUnreadable, {"-u"});
}

TEST_F(StartUpFailure, TheDefaultCaptionIsTheSystemsOwn) {
    // The probe's reference box is only a fair reference if it is a real caption.
    std::string caption = probe().defaultMessageBoxCaption();
    EXPECT_FALSE(caption.empty());
    EXPECT_PRED_FORMAT2(e2e::SameText, caption, "エラー") << "Wine's default caption in a Japanese locale";
}

TEST_F(StartUpFailure, MissingRegistryKeySaysNotInstalledAndChangesNothing) {
    update().write();
    installation().writeRecord();
    FolderState before = installation().state();
    expectOnlyMessage(kNotInstalled, {}, "f2-message");
    FolderState after = installation().state();
    EXPECT_TRUE(after == before) << after.differencesFrom(before);
}

TEST_F(StartUpFailure, MissingRegistryValueSaysNotInstalled) {
    update().write();
    installation().writeRecord();
    installation().registerAt(kRegistryKey, "別の値");
    FolderState before = installation().state();
    expectOnlyMessage(kNotInstalled);
    EXPECT_TRUE(installation().state() == before) << installation().state().differencesFrom(before);
}

TEST_F(StartUpFailure, MissingUninstallManifestSaysNotInstalledAndCreatesNone) {
    update().write();
    installation().registerAt(kRegistryKey, kRegistryValue);
    FolderState before = installation().state();
    expectOnlyMessage(kNotInstalled);
    EXPECT_FALSE(session().exists(installation().recordPath()));
    EXPECT_TRUE(installation().state() == before) << installation().state().differencesFrom(before);
}

TEST_F(StartUpFailure, InstallationValueWithoutTrailingBackslashSaysNotInstalled) {
    // "C:\...\表計算ソフト" + "Uninstallinf.dat" names a file beside the folder, not in it.
    update().write();
    installation().writeRecord();
    std::string folder = installation().folder();
    ASSERT_TRUE(probe().setCurrentUserString(kRegistryKey, kRegistryValue, folder.substr(0, folder.size() - 1)));
    FolderState before = installation().state();
    expectOnlyMessage(kNotInstalled);
    EXPECT_TRUE(installation().state() == before) << installation().state().differencesFrom(before);
}

TEST_F(StartUpFailure, EmptyProductNameLeavesTheFixedTextAlone) {
    update().setTexts("表計算ソフト", "アップデート", "", "");
    update().write();
    expectOnlyMessage("が正常にインストールされていません\nインストール後、実行してください");
}

}  // namespace
