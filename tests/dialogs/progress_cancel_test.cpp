// The progress dialog's Cancel, as the engine sees it through a pump.
#include <gtest/gtest.h>

#include "engine/run_state.h"
#include "tests/fakes/scripted_updater_ui.h"
#include "tests/support/fresh_run_state.h"

namespace {

TEST(ProgressCancel, APressReachesTheEngineExceptDuringARemoval) {
    for (bool removal : {false, true}) {
        testing_support::FreshRunState runState;
        engine::runState().RemovalMode = removal;
        fakes::ScriptedUpdaterUi ui;
        ui.cancelAtPump = 1;
        app::ProgressDialog dialog = ui.showProgressDialog();
        ui.pumpOneMessage();
        EXPECT_EQ(engine::runState().cancelRequested, removal ? 0 : 1) << "removal " << removal;
        ui.destroyProgressDialog(dialog);
    }
}

}  // namespace
