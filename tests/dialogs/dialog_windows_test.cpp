// The two dialogs on a real window system (Wine on a virtual X display), through the Win32
// implementation of the updater's UI, driven the way a user drives them.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

#include "engine/run_state.h"
#include "app/updater_ui.h"
#include "resources/resource_ids.h"
#include "tests/support/fresh_run_state.h"

namespace {

std::string textOf(HWND window) {
    char text[512] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

class DialogTest : public ::testing::Test {
protected:
    testing_support::FreshRunState runState;
    void SetUp() override {
        std::strcpy(engine::runState().updateManifest.header.title, "サンプル製品");
        std::strcpy(engine::runState().updateManifest.header.updateName, "サンプル製品 Ver1.01");
        std::strcpy(engine::runState().updateManifest.header.note, "データを書き換えます");
    }
    void TearDown() override {
        if (progress) app::updaterUi().destroyProgressDialog(progress);
    }

    // The modal confirmation, reached into by a thread timer once it is on screen: `act`
    // gets the dialog, after its texts were read into `seen`.
    int confirm(std::function<void(HWND)> act) {
        seen.clear();
        acting = std::move(act);
        UINT_PTR timer = SetTimer(nullptr, 0, 20, onTimer);
        int result = app::updaterUi().runConfirmation();
        KillTimer(nullptr, timer);
        return result;
    }
    static void CALLBACK onTimer(HWND, UINT, UINT_PTR timer, DWORD) {
        HWND dialog = GetActiveWindow();
        if (!dialog || !IsWindowVisible(dialog)) return;
        KillTimer(nullptr, timer);
        seen = textOf(dialog);
        for (int id : {IDC_MESSAGE, -1, IDC_NOTE, IDOK, IDCANCEL}) seen += "|" + textOf(GetDlgItem(dialog, id));
        acting(dialog);
    }
    static std::function<void(HWND)> post(UINT message, WPARAM wParam) {
        return [=](HWND dialog) { PostMessageA(dialog, message, wParam, 0); };
    }

    void showProgress() {
        progress = static_cast<HWND>(app::updaterUi().showProgressDialog());
        ASSERT_NE(progress, nullptr);
        drain();
    }
    void drain() {
        for (int i = 0; i < 1000 && app::updaterUi().pumpOneMessage(); ++i) {
        }
    }
    HWND item(int id) { return GetDlgItem(progress, id); }
    // A click of the mouse through the system's input queue, which a disabled window never gets.
    void click(HWND control) {
        RECT box;
        GetWindowRect(control, &box);
        SetCursorPos((box.left + box.right) / 2, (box.top + box.bottom) / 2);
        INPUT presses[2] = {};
        presses[0].type = presses[1].type = INPUT_MOUSE;
        presses[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
        presses[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
        ASSERT_EQ(SendInput(2, presses, sizeof(INPUT)), 2u);
    }

    static std::string seen;
    static std::function<void(HWND)> acting;
    HWND progress = nullptr;
};

std::string DialogTest::seen;
std::function<void(HWND)> DialogTest::acting;

TEST_F(DialogTest, ConfirmationShowsTheHeaderInEitherMode) {
    EXPECT_EQ(confirm(post(WM_COMMAND, IDOK)), 1);
    EXPECT_EQ(seen, "サンプル製品|サンプル製品 Ver1.01を行います|よろしいですか？|データを書き換えます|OK|ｷｬﾝｾﾙ");
    engine::runState().RemovalMode = true;
    EXPECT_EQ(confirm(post(WM_COMMAND, IDOK)), 1);
    EXPECT_EQ(seen, "サンプル製品ファイルの削除|サンプル製品 Ver1.01ファイルの削除を行います|よろしいですか？|"
                    "データを書き換えます|OK|ｷｬﾝｾﾙ");
    engine::runState().updateManifest.header = {};
    EXPECT_EQ(confirm(post(WM_COMMAND, IDCANCEL)), 0);
    EXPECT_EQ(seen, "ファイルの削除|ファイルの削除を行います|よろしいですか？||OK|ｷｬﾝｾﾙ");
}

TEST_F(DialogTest, ConfirmationResultComesFromTheCommandIdentifierAlone) {
    EXPECT_EQ(confirm(post(WM_COMMAND, MAKEWPARAM(IDOK, 0x7777))), 1);
    EXPECT_EQ(confirm(post(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_DOUBLECLICKED))), 0);
    EXPECT_EQ(confirm(post(WM_KEYDOWN, VK_RETURN)), 1);  // OK is the default button
    EXPECT_EQ(confirm(post(WM_KEYDOWN, VK_ESCAPE)), 0);
    EXPECT_EQ(confirm(post(WM_SYSCOMMAND, SC_CLOSE)), 0);
    // Other identifiers leave the dialog up until a button ends it.
    EXPECT_EQ(confirm([](HWND dialog) {
                  for (WPARAM id : {IDC_MESSAGE, IDC_NOTE, 3}) PostMessageA(dialog, WM_COMMAND, id, 0);
                  PostMessageA(dialog, WM_COMMAND, IDOK, 0);
              }),
              1);
}

TEST_F(DialogTest, ProgressDialogShowsItsTemplateAndTakesStatusAndPosition) {
    showProgress();
    EXPECT_TRUE(IsWindowVisible(progress));
    EXPECT_EQ(textOf(progress), "アップデート中");
    EXPECT_EQ(textOf(item(IDC_STATUS)), "Static");
    EXPECT_TRUE(IsWindowEnabled(item(IDCANCEL)));
    char cls[64] = {};
    GetClassNameA(item(IDC_PROGRESS), cls, sizeof cls);
    EXPECT_STREQ(cls, "msctls_progress32");
    EXPECT_EQ(SendMessageA(item(IDC_PROGRESS), PBM_GETRANGE, FALSE, 0), 100);

    app::updaterUi().setStatusText(progress, "data\\表示.datをコピー中...");
    app::updaterUi().setProgress(progress, 42);
    EXPECT_EQ(textOf(item(IDC_STATUS)), "data\\表示.datをコピー中...");
    EXPECT_EQ(SendMessageA(item(IDC_PROGRESS), PBM_GETPOS, 0, 0), 42);

    app::updaterUi().destroyProgressDialog(progress);
    EXPECT_FALSE(IsWindow(progress));
    progress = nullptr;
}

TEST_F(DialogTest, CancelTakesEffectOnlyWhenPumpedAndLeavesTheDialogUp) {
    showProgress();
    EXPECT_FALSE(app::updaterUi().pumpOneMessage());
    click(item(IDCANCEL));
    EXPECT_EQ(engine::runState().cancelRequested, 0);
    drain();
    EXPECT_EQ(engine::runState().cancelRequested, 1);
    EXPECT_TRUE(IsWindowVisible(progress));
    EXPECT_TRUE(IsWindowEnabled(item(IDCANCEL)));
    EXPECT_EQ(textOf(progress), "アップデート中");

    // One pump, one message.
    engine::runState().cancelRequested = 0;
    PostMessageA(progress, WM_APP, 0, 0);
    PostMessageA(progress, WM_COMMAND, MAKEWPARAM(IDCANCEL, 0x7777), 0);
    EXPECT_TRUE(app::updaterUi().pumpOneMessage());
    EXPECT_EQ(engine::runState().cancelRequested, 0);
    EXPECT_TRUE(app::updaterUi().pumpOneMessage());
    EXPECT_EQ(engine::runState().cancelRequested, 1);
}

TEST_F(DialogTest, OnlyCancelAndTheCloseBoxCancelAndNotTheDialogKeys) {
    showProgress();
    for (WPARAM id : {WPARAM(IDOK), WPARAM(IDC_STATUS), WPARAM(MAKEWPARAM(IDC_PROGRESS, IDCANCEL))}) PostMessageA(progress, WM_COMMAND, id, 0);
    // The pump does no dialog-message filtering, so Esc means nothing to the dialog.
    PostMessageA(progress, WM_KEYDOWN, VK_ESCAPE, 0);
    drain();
    EXPECT_EQ(engine::runState().cancelRequested, 0);
    PostMessageA(progress, WM_SYSCOMMAND, SC_CLOSE, 0);
    drain();
    EXPECT_EQ(engine::runState().cancelRequested, 1);
    EXPECT_TRUE(IsWindow(progress));
}

TEST_F(DialogTest, ARemovalCannotBeCancelled) {
    engine::runState().RemovalMode = true;
    showProgress();
    EXPECT_FALSE(IsWindowEnabled(item(IDCANCEL)));
    EXPECT_EQ(textOf(progress), "アップデート中");
    click(item(IDCANCEL));
    drain();
    EXPECT_EQ(engine::runState().cancelRequested, 0) << "by the button";
    // Wine's dialog manager, unlike Windows', turns the close box into IDCANCEL even while
    // Cancel is disabled.
    PostMessageA(progress, WM_SYSCOMMAND, SC_CLOSE, 0);
    drain();
    EXPECT_EQ(engine::runState().cancelRequested, 0) << "by the close box";
}

}  // namespace
