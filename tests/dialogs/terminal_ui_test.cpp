#include "app/terminal_ui.h"

#include <gtest/gtest.h>
#include <pty.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "engine/run_state.h"
#include "tests/support/fresh_run_state.h"

namespace {

TEST(ConfirmationAnswerParsing, EnterIsOkAndEitherButtonCanBeTypedInAnyCase) {
    using app::ConfirmationAnswer;
    for (const char* ok : {"", " \t\r", "ok", "OK", "o", " y ", "YES"}) {
        EXPECT_EQ(app::parseConfirmationAnswer(ok), ConfirmationAnswer::Ok) << ok;
    }
    for (const char* cancel : {"cancel", "CANCEL", "c", "n", "No", u8"ｷｬﾝｾﾙ", u8" キャンセル "}) {
        EXPECT_EQ(app::parseConfirmationAnswer(cancel), ConfirmationAnswer::Cancel) << cancel;
    }
    for (const char* unclear : {"okay", "o k", "cancelled", "1", u8"ｷｬﾝｾﾙ!", u8"はい"}) {
        EXPECT_EQ(app::parseConfirmationAnswer(unclear), ConfirmationAnswer::Unclear) << unclear;
    }
}

class TerminalUiTest : public ::testing::Test {
protected:
    testing_support::FreshRunState runState;
    void SetUp() override {
        std::strcpy(engine::runState().updateManifest.header.title, "サンプル製品");
        std::strcpy(engine::runState().updateManifest.header.updateName, "サンプル製品 Ver1.01");
        std::strcpy(engine::runState().updateManifest.header.note, "データを書き換えます");
        output = open_memstream(&drawn, &drawnSize);
        ASSERT_EQ(openpty(&keyboard, &terminal, nullptr, nullptr, nullptr), 0);
    }
    void TearDown() override {
        std::fclose(output);
        std::free(drawn);
        close(keyboard);
        close(terminal);
    }
    void type(const std::string& keys) { ASSERT_EQ(write(keyboard, keys.data(), keys.size()), ssize_t(keys.size())); }
    std::string shown() {
        std::fflush(output);
        return std::string(drawn, drawnSize);
    }

    std::FILE* output = nullptr;
    char* drawn = nullptr;
    size_t drawnSize = 0;
    int keyboard = -1, terminal = -1;  // the two ends of a pseudo-terminal
};

TEST_F(TerminalUiTest, ConfirmationShowsTheDialogsTextsInUtf8AndAsksUntilAnswered) {
    type("maybe\nok\n");
    app::TerminalUi ui(terminal, output);
    EXPECT_EQ(ui.runConfirmation(), 1);
    EXPECT_EQ(shown(), u8"[サンプル製品]\nサンプル製品 Ver1.01を行います\nよろしいですか？\nデータを書き換えます\n"
                       u8"[OK/ｷｬﾝｾﾙ] [OK/ｷｬﾝｾﾙ] ");
}

TEST_F(TerminalUiTest, CancelTheEndOfInputAndNoTerminalAllDecline) {
    engine::runState().RemovalMode = true;
    type(u8"ｷｬﾝｾﾙ\n\x04");  // Cancel, then Ctrl-D, which stands for the close box
    app::TerminalUi ui(terminal, output);
    EXPECT_EQ(ui.runConfirmation(), 0);
    EXPECT_EQ(ui.runConfirmation(), 0);
    EXPECT_EQ(shown().rfind(u8"[サンプル製品ファイルの削除]\nサンプル製品 Ver1.01ファイルの削除を行います\n", 0), 0u);

    // Without a terminal nobody agreed, and not a byte is read.
    int ends[2];
    ASSERT_EQ(pipe(ends), 0);
    ASSERT_EQ(write(ends[1], "ok\n", 3), 3);
    app::TerminalUi piped(ends[0], output);
    EXPECT_EQ(piped.runConfirmation(), 0);
    char left[4];
    EXPECT_EQ(read(ends[0], left, sizeof left), 3);
    close(ends[0]);
    close(ends[1]);
}

TEST_F(TerminalUiTest, ProgressDrawsEachChangeOfStatusOrClampedPosition) {
    app::TerminalUi ui(terminal, output);
    app::ProgressDialog dialog = ui.showProgressDialog();
    ASSERT_NE(dialog, nullptr);
    ui.setStatusText(dialog, "data\\表示.datをコピー中...");
    ui.setProgress(dialog, 0);
    ui.setProgress(dialog, 40);
    ui.setProgress(dialog, 40);
    ui.setProgress(dialog, 250);
    ui.setStatusText(dialog, "b.datを削除中...");
    ui.destroyProgressDialog(dialog);
    EXPECT_EQ(shown(), u8"[アップデート中]\n"
                       u8"data\\表示.datをコピー中...   0%\n"
                       u8"data\\表示.datをコピー中...  40%\n"
                       u8"data\\表示.datをコピー中... 100%\n"
                       u8"b.datを削除中... 100%\n");
}

extern "C" void outsideTheDialog(int) {}

TEST_F(TerminalUiTest, CtrlCCancelsAtTheNextPumpExceptDuringARemoval) {
    struct sigaction mine {}, saved {};
    mine.sa_handler = outsideTheDialog;
    ASSERT_EQ(sigaction(SIGINT, &mine, &saved), 0);
    app::TerminalUi ui(terminal, output);

    app::ProgressDialog dialog = ui.showProgressDialog();
    EXPECT_FALSE(ui.pumpOneMessage());
    raise(SIGINT);
    EXPECT_EQ(engine::runState().cancelRequested, 0);
    EXPECT_TRUE(ui.pumpOneMessage());
    EXPECT_EQ(engine::runState().cancelRequested, 1);
    EXPECT_FALSE(ui.pumpOneMessage());
    raise(SIGINT);  // not pumped: goes with the dialog
    ui.destroyProgressDialog(dialog);

    struct sigaction after {};
    sigaction(SIGINT, nullptr, &after);
    EXPECT_EQ(after.sa_handler, outsideTheDialog) << "Ctrl-C is the program's own again";

    engine::runState().cancelRequested = 0;
    engine::runState().RemovalMode = true;
    dialog = ui.showProgressDialog();
    EXPECT_FALSE(ui.pumpOneMessage());
    raise(SIGINT);
    EXPECT_FALSE(ui.pumpOneMessage());
    ui.destroyProgressDialog(dialog);
    EXPECT_EQ(engine::runState().cancelRequested, 0);
    sigaction(SIGINT, &saved, nullptr);
}

}  // namespace
