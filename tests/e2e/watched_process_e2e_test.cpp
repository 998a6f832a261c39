// The probe looks at the windows of the process the case started, and of no other: a box of an
// earlier run of Update.exe that is still up, or still going away, is never taken for the
// window of the run that follows it. Every case that starts the updater twice relies on this.
#include <gtest/gtest.h>

#include "tests/e2e/harness/outcome_texts.h"
#include "tests/e2e/harness/updater_case.h"
#include "tests/wine_driver/dialog.h"

namespace {

using std::chrono::seconds;
using wine_driver::Dialog;


class WatchedProcess : public e2e::UpdaterCase {};

TEST_F(WatchedProcess, AnEarlierRunsBoxIsNotTakenForTheWindowOfTheNextProcessOfTheSameName) {
    // The earlier run: a package without its manifest, whose start-up message stays up.
    e2e::UpdatePackage earlier(session(), "C:\\前回の更新\\");
    earlier.placeUpdater();
    std::unique_ptr<wine_driver::WineProgram> first = session().start(earlier.updaterPath(), {});
    ASSERT_TRUE(probe().watch(*first)) << first->errors();
    std::optional<Dialog> box = probe().waitForDialog();
    ASSERT_TRUE(box) << "the earlier run showed no message box\n" << first->errors();
    e2e::expectMessageBox(*box, e2e::kUpdateManifestUnreadable, probe().defaultMessageBoxCaption());

    // A program named Update.exe that shows no dialog at all: whatever the probe finds for it
    // can only be another process's window.
    std::string windowless = "C:\\今回の更新\\Update.exe";
    session().copyFromHost(session().hostPath("C:\\windows\\system32\\notepad.exe"), windowless);
    std::unique_ptr<wine_driver::WineProgram> second = session().start(windowless, {});
    ASSERT_TRUE(probe().watch(*second)) << second->errors();
    std::optional<Dialog> seen = probe().waitForDialog(seconds(3));
    EXPECT_FALSE(seen) << "the probe took this window for the second process's:\n" << seen->describe();

    // And the next real run's confirmation is its own, while the earlier box stays up.
    aimUpdateAtInstallation();
    update().write();
    installation().install(kRegistryKey, kRegistryValue);
    std::unique_ptr<wine_driver::WineProgram> updater = startUpdater();
    std::optional<Dialog> confirmation = probe().waitForDialog();
    ASSERT_TRUE(confirmation) << "no confirmation\n" << updater->errors();
    EXPECT_NE(confirmation->handle, box->handle);
    EXPECT_PRED_FORMAT2(e2e::SameText, confirmation->caption, "表計算ソフト");
    ASSERT_TRUE(probe().press(*confirmation, wine_driver::kIdCancel));
    EXPECT_EQ(updater->waitForExit(), std::optional<int>(0));
    EXPECT_FALSE(first->waitForExit(std::chrono::milliseconds(0))) << "the earlier run ended without its OK";
}

}  // namespace
