#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/updater.h"
#include "engine/run_state.h"
#include "tests/fakes/recording_files.h"
#include "tests/fakes/scripted_updater_ui.h"

namespace {

TEST(RunSequence, DecliningOrAConfirmationThatCannotBeShownEndsTheRunUntouched) {
    for (int declined : {0, -1}) {
        fakes::ScriptedUpdaterUi ui;
        fakes::RecordingFiles files;
        ui.confirmation = declined;
        engine::resetRunState();
        engine::runState().uninstallManifestPath = "C:\\Product\\Uninstallinf.dat";
        app::runSequence();
        EXPECT_EQ(ui.calls, std::vector<std::string>{"runConfirmation"}) << declined;
        EXPECT_TRUE(files.calls.empty()) << declined;
    }
}

TEST(RunSequence, ConfirmingShowsTheProgressDialogOnceAndTakesItDown) {
    fakes::ScriptedUpdaterUi ui;
    engine::resetRunState();
    app::runSequence();
    ASSERT_GE(ui.calls.size(), 3u);
    EXPECT_EQ(ui.calls[0], "runConfirmation");
    EXPECT_EQ(ui.calls[1], "showProgressDialog");
    EXPECT_EQ(ui.calls.back(), "destroyProgressDialog");
    EXPECT_EQ(ui.count("showProgressDialog"), 1);
    EXPECT_EQ(ui.count("destroyProgressDialog"), 1);
    EXPECT_FALSE(ui.misusedHandle);
}

}  // namespace
