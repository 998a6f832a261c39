// Update.exe runs elevated from a folder the user downloaded. DLLs planted there under the
// names of ones the dialogs, the common controls, the shell and COM load on demand must stay
// unloaded through a whole run: confirmation, copy under the progress dialog, shortcuts, the
// outcome. Each canary leaves NAME.dll.loaded beside itself when loaded.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <iostream>

#include "tests/e2e/harness/dialog.h"
#include "tests/e2e/harness/updater_case.h"

namespace {

namespace fs = std::filesystem;
using e2e::Dialog;
using e2e::kIdOk;

class PlantedDlls : public e2e::UpdaterCase {
protected:
    void SetUp() override {
        UpdaterCase::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        aimUpdateAtInstallation();
        update().addFile("表計算.exe", std::string(250000, 'n'));
        std::strcpy(update().header.shortcuts[0].nameTemplate, "%s");
        std::strcpy(update().header.shortcuts[0].target, "表計算.exe");
        update().write();
        installation().addFile("表計算.exe", std::string(3000, 'x'));
        installation().install(kRegistryKey, kRegistryValue);

        fs::path canaries = fs::path(session().build().folder) / "tests" / "e2e" / "canary";
        for (const fs::directory_entry& file : fs::directory_iterator(canaries)) {
            std::string name = file.path().filename().string();
            if (file.path().extension() == ".dll") {
                names_.push_back(name);
                overrides_ += (overrides_.empty() ? "" : ",") + file.path().stem().string();
            }
            if (file.path().extension() == ".dll" || name == "canary_loader.exe") {
                session().copyFromHost(file.path().string(), kUpdateFolder + name);
            }
        }
        ASSERT_FALSE(names_.empty()) << "no canary DLLs in " << canaries;
        overrides_ = "UPDATER_DLL_OVERRIDES=" + overrides_ + "=n,b";
    }

    std::vector<std::string> loadedCanaries() {
        std::vector<std::string> loaded;
        for (const std::string& name : names_) {
            std::string marker = std::string(kUpdateFolder) + name + ".loaded";
            if (session().exists(marker)) {
                loaded.push_back(name);
                fs::remove(session().hostPath(marker));
            }
        }
        return loaded;
    }

    std::vector<std::string> names_;
    std::string overrides_;
};

std::string joined(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names) text += (text.empty() ? "" : ", ") + name;
    return text;
}

TEST_F(PlantedDlls, NoneIsLoadedThroughAWholeRun) {
    // Without the restriction every canary is found and announces itself; otherwise Wine's
    // own DLLs were taken and the run below would prove nothing.
    e2e::Completed control = session().run(std::string(kUpdateFolder) + "canary_loader.exe", names_,
                                           std::chrono::seconds(30), {overrides_});
    EXPECT_EQ(control.exitCode, 0) << control.err;
    ASSERT_EQ(joined(loadedCanaries()), joined(names_)) << "a canary was not loaded by a program without the restriction";

    std::unique_ptr<e2e::WineProgram> updater = session().start(update().updaterPath(), {}, {overrides_});
    std::optional<Dialog> confirmation = probe().waitForDialog();
    ASSERT_TRUE(confirmation) << "no confirmation dialog\n" << updater->errors();
    ASSERT_TRUE(probe().press(*confirmation, kIdOk));
    // Whatever the run shows after the progress dialog is a message box with OK alone.
    std::optional<int> exitCode;
    for (int step = 0; step < 20 && !(exitCode = updater->waitForExit(std::chrono::milliseconds(500))); ++step) {
        std::optional<Dialog> shown = probe().waitForDialog(std::chrono::milliseconds(2000));
        if (!shown) continue;
        std::vector<const e2e::Control*> buttons = shown->visibleButtons();
        if (buttons.size() == 1 && buttons[0]->id == kIdOk) {
            std::cout << "[ outcome  ] " << e2e::readable(shown->control(-1) ? shown->control(-1)->text : "") << std::endl;
            probe().press(*shown, kIdOk);
        }
    }
    ASSERT_TRUE(exitCode) << "Update.exe still runs";
    EXPECT_EQ(joined(loadedCanaries()), "") << "planted DLLs that Update.exe loaded";
}

}  // namespace
