// The confirmation dialog and the progress dialog of Update.exe under Wine: the texts the
// user reads in both modes, the four ways to answer, and that declining touches nothing.
#include <gtest/gtest.h>

#include <iostream>

#include "resources/resource_ids.h"
#include "tests/e2e/harness/outcome_texts.h"
#include "tests/e2e/harness/updater_case.h"

namespace {

using wine_driver::Control;
using wine_driver::Dialog;
using e2e::FolderState;
using wine_driver::kIdCancel;
using wine_driver::kIdOk;
using e2e::SameText;

const std::string kTitle = "表計算ソフト";
const std::string kUpdateName = "バージョン2.0へのアップデート";
const std::string kNote = "起動中のソフトは終了してください";
const std::string kQuestion = "よろしいですか？";
const std::string kCancel = "ｷｬﾝｾﾙ";  // half-width katakana, as the templates carry it

class Confirmation : public e2e::UpdaterCase {
protected:
    void SetUp() override {
        UpdaterCase::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        update().setTexts(kTitle, kUpdateName, kNote, "ソフト表示デモ");
        update().pointAt(kRegistryKey, kRegistryValue);
        update().write();
        installation().addFolder("データ\\");
        installation().addFile("表計算.exe", std::string(3000, 'x'));
        installation().addFile("データ\\表.dat", "old contents");
        installation().install(kRegistryKey, kRegistryValue);
    }

    // Starts the updater and waits for its confirmation dialog.
    Dialog confirmation(const std::vector<std::string>& arguments = {}) {
        updater_ = startUpdater(arguments);
        std::optional<Dialog> dialog = probe().waitForDialog();
        if (!dialog) {
            ADD_FAILURE() << "no confirmation dialog appeared\n" << updater_->errors();
            return {};
        }
        return *dialog;
    }

    void expectConfirmationTexts(const Dialog& dialog, const std::string& caption, const std::string& sentence) {
        SCOPED_TRACE("confirmation dialog:\n" + dialog.describe());
        EXPECT_PRED_FORMAT2(SameText, dialog.caption, caption);
        for (auto [id, text] : {std::pair<int, std::string>{IDC_MESSAGE, sentence}, {IDC_NOTE, kNote}, {-1, kQuestion},
                                {kIdOk, "OK"}, {kIdCancel, kCancel}}) {
            const Control* control = dialog.control(id);
            ASSERT_NE(control, nullptr) << "no control " << id;
            EXPECT_TRUE(control->visible) << "control " << id;
            EXPECT_PRED_FORMAT2(SameText, control->text, text) << "control " << id;
        }
        EXPECT_EQ(dialog.visibleButtons().size(), 2u);
    }

    void expectEndsAtOnce() {
        std::optional<int> exitCode = updater_->waitForExit();
        ASSERT_TRUE(exitCode) << "Update.exe still runs";
        EXPECT_EQ(*exitCode, 0);
    }

    std::unique_ptr<wine_driver::WineProgram> updater_;
};

TEST_F(Confirmation, NormalModeShowsTheUpdatesTexts) {
    Dialog dialog = confirmation();
    expectConfirmationTexts(dialog, kTitle, kUpdateName + "を行います");
    session().screenshot("confirmation-normal");
    ASSERT_TRUE(probe().press(dialog, kIdCancel));
    expectEndsAtOnce();
}

TEST_F(Confirmation, RemovalModeSaysFilesAreDeleted) {
    Dialog dialog = confirmation({"-u"});
    expectConfirmationTexts(dialog, kTitle + "ファイルの削除", kUpdateName + "ファイルの削除を行います");
    session().screenshot("confirmation-removal");
    ASSERT_TRUE(probe().press(dialog, kIdCancel));
    expectEndsAtOnce();
}

TEST_F(Confirmation, OnlyTheWholeArgumentDashUSelectsRemoval) {
    for (const char* argument : {"-U", "/u"}) {
        SCOPED_TRACE(argument);
        Dialog dialog = confirmation({argument});
        EXPECT_PRED_FORMAT2(SameText, dialog.caption, kTitle);
        ASSERT_TRUE(probe().press(dialog, kIdCancel));
        expectEndsAtOnce();
    }
}

// Each way of saying no ends the run at once: no further window, exit code 0, and the
// installation (Uninstallinf.dat above all) exactly as it was, bytes and times.
class Declining : public Confirmation, public ::testing::WithParamInterface<const char*> {};

TEST_P(Declining, EndsTheRunAndLeavesTheInstallationAlone) {
    FolderState before = installation().state();
    Dialog dialog = confirmation();
    std::string way = GetParam();
    std::vector<std::string> answer = way == "cancel-button" ? std::vector<std::string>{"press", std::to_string(kIdCancel)}
                                      : way == "escape-key"  ? std::vector<std::string>{"key", "esc"}
                                                             : std::vector<std::string>{"close"};
    // Watched as closely as a confirmation, so that even a progress dialog of a few
    // milliseconds would be seen.
    std::string held;
    std::optional<Dialog> next = probe().actAndHoldNext(dialog, answer, held, std::chrono::seconds(10));
    if (next) {
        // Failed while the window is still held, so that the failure's screenshot shows it.
        ADD_FAILURE() << "declining showed another window:\n" << next->describe();
        probe().release(held);
    }
    expectEndsAtOnce();
    FolderState after = installation().state();
    EXPECT_TRUE(after == before) << after.differencesFrom(before);
}

INSTANTIATE_TEST_SUITE_P(EveryWay, Declining, ::testing::Values("cancel-button", "escape-key", "close-box"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                             std::string name = info.param;
                             for (char& c : name) {
                                 if (c == '-') c = '_';
                             }
                             return name;
                         });

// Confirming goes on to the progress dialog. It may be up for only milliseconds, so the probe
// catches it from before the answer and holds the updater while it is looked at.
class Progress : public Confirmation {
protected:
    std::optional<Dialog> confirmAndCatchProgress(const std::vector<std::string>& arguments,
                                                  const std::vector<std::string>& answer,
                                                  const std::string& screenshotLabel) {
        Dialog dialog = confirmation(arguments);
        std::string held;
        std::optional<Dialog> progress = probe().actAndHoldNext(dialog, answer, held);
        if (!progress) return std::nullopt;
        if (held == "0") {
            std::cout << "[ note     ] the progress dialog went before it could be held: no picture" << std::endl;
        } else {
            session().screenshot(screenshotLabel);
        }
        EXPECT_TRUE(probe().release(held));
        return progress;
    }

    void expectProgressDialog(const Dialog& progress, bool cancelEnabled) {
        SCOPED_TRACE("progress dialog:\n" + progress.describe());
        EXPECT_PRED_FORMAT2(SameText, progress.caption, "アップデート中");
        const Control* cancel = progress.control(kIdCancel);
        ASSERT_NE(cancel, nullptr);
        EXPECT_PRED_FORMAT2(SameText, cancel->text, kCancel);
        EXPECT_EQ(cancel->enabled, cancelEnabled);
        const Control* bar = progress.control(IDC_PROGRESS);
        ASSERT_NE(bar, nullptr);
        EXPECT_EQ(bar->className, "msctls_progress32") << "the common controls come through the manifest";
        // An update without entries never writes a status line: the template's text stays.
        const Control* status = progress.control(IDC_STATUS);
        ASSERT_NE(status, nullptr);
        EXPECT_EQ(status->text, "Static");
    }

    // The update has no entries, so the run succeeds: its message, then the end.
    void expectSuccessThenEnd(const std::string& text) {
        std::optional<Dialog> box = probe().waitForMessageBox();
        ASSERT_TRUE(box) << "no outcome message";
        e2e::expectMessageBox(*box, text, e2e::kDone);
        ASSERT_TRUE(probe().press(*box, kIdOk));
        expectEndsAtOnce();
    }
};

TEST_F(Progress, EnterConfirmsAndTheProgressDialogCanBeCancelled) {
    std::optional<Dialog> progress = confirmAndCatchProgress({}, {"key", "enter"}, "progress-normal");
    ASSERT_TRUE(progress) << "no progress dialog after Enter";
    expectProgressDialog(*progress, true);
    expectSuccessThenEnd(e2e::kUpdateCompleted);
}

TEST_F(Progress, OkConfirmsAndRemovalCannotBeCancelled) {
    std::optional<Dialog> progress = confirmAndCatchProgress({"-u"}, {"press", std::to_string(kIdOk)}, "progress-removal");
    ASSERT_TRUE(progress) << "no progress dialog after OK";
    expectProgressDialog(*progress, false);
    expectSuccessThenEnd(e2e::kRemovalCompleted);
}

}  // namespace
