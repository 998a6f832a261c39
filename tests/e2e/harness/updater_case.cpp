#include "tests/e2e/harness/updater_case.h"

#include <cstdlib>

#include "tests/wine_driver/dialog.h"
#include "tests/wine_driver/hex_text.h"

namespace e2e {

void UpdaterCase::SetUp() {
    std::string whereLooked;
    std::optional<wine_driver::WindowsBuild> build = wine_driver::findWindowsBuild(whereLooked);
    // A build asked for by name must be there: a test run that skipped every case would pass.
    if (!build && std::getenv("UPDATER_WINDOWS_BUILD")) {
        FAIL() << "no Windows build in " << whereLooked
               << " (Update.exe, probe.exe and launcher.exe), which UPDATER_WINDOWS_BUILD names";
    }
    if (!build) {
        GTEST_SKIP() << "no Windows build in " << whereLooked
                     << " (Update.exe, probe.exe and launcher.exe): build that preset, or set UPDATER_WINDOWS_BUILD to a Windows build's folder";
    }
    session_ = std::make_unique<Session>(*build);
    ASSERT_TRUE(session_->problem().empty()) << session_->problem();
    installation_ = std::make_unique<Installation>(*session_, kInstallFolder);
    update_ = std::make_unique<UpdatePackage>(*session_, kUpdateFolder);
}

void UpdaterCase::TearDown() {
    update_.reset();
    installation_.reset();
    session_.reset();
}

void UpdaterCase::aimUpdateAtInstallation() {
    update_->setTexts("表計算ソフト", "バージョン2.0へのアップデート", "", "表計算ソフト");
    update_->pointAt(kRegistryKey, kRegistryValue);
}

std::unique_ptr<wine_driver::WineProgram> UpdaterCase::startUpdater(const std::vector<std::string>& arguments,
                                                                     const std::vector<std::string>& environment) {
    std::unique_ptr<wine_driver::WineProgram> updater = session_->start(update_->updaterPath(), arguments, environment);
    EXPECT_TRUE(probe().watch(*updater)) << "Update.exe did not start\n" << updater->errors();
    return updater;
}

::testing::AssertionResult SameText(const char* actualExpression, const char* expectedExpression,
                                    const std::string& actual, const std::string& expected) {
    if (actual == expected) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << actualExpression << " is \"" << wine_driver::readable(actual) << "\" ("
                                         << wine_driver::hexEncode(actual) << ")\n" << expectedExpression << " is \""
                                         << wine_driver::readable(expected) << "\" (" << wine_driver::hexEncode(expected) << ")";
}

void expectMessageBox(const wine_driver::Dialog& box, const std::string& text, const std::string& caption) {
    SCOPED_TRACE("message box:\n" + box.describe());
    EXPECT_EQ(box.className, "#32770");
    EXPECT_PRED_FORMAT2(SameText, box.caption, caption);
    const wine_driver::Control* message = box.control(-1);
    ASSERT_NE(message, nullptr) << "no message text";
    EXPECT_PRED_FORMAT2(SameText, message->text, text);
    std::vector<const wine_driver::Control*> buttons = box.visibleButtons();
    ASSERT_EQ(buttons.size(), 1u) << "OK only";
    EXPECT_EQ(buttons[0]->id, 1);
    EXPECT_EQ(buttons[0]->text, "OK");
    for (const wine_driver::Control& c : box.controls) EXPECT_NE(c.hasIcon, std::optional<bool>(true)) << "an icon in control " << c.id;
}

}  // namespace e2e
