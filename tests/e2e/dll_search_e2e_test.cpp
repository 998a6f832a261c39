// Update.exe runs elevated from a folder the user downloaded. DLLs planted there under the
// names of ones the dialogs, the common controls, the shell and COM load on demand must stay
// unloaded through a whole run: confirmation, copy under the progress dialog, the outcome, a
// shortcut made through the shell and COM. Each canary leaves NAME.dll.loaded beside itself
// when loaded.
#include <gtest/gtest.h>

#include <filesystem>
#include <iostream>

#include "platform/shell.h"
#include "tests/e2e/harness/dialog.h"
#include "tests/e2e/harness/updater_case.h"
#include "tests/support/manifest_builder.h"

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
        testing_support::setText(update().header.shortcuts[0].nameTemplate, "%s");
        testing_support::setText(update().header.shortcuts[0].target, "表計算.exe");
        update().write();
        installation().addFile("表計算.exe", std::string(3000, 'x'));
        testing_support::setText(installation().record.header.templateArgument, "表計算ソフト");
        testing_support::setText(installation().record.header.shortcutFolderTemplate, "%s\\");
        installation().install(kRegistryKey, kRegistryValue);
        std::string folder = probe().specialFolder(platform::kCsidlPrograms) + "\\表計算ソフト\\";
        session().makeFolder(folder);
        link_ = folder + "表計算ソフト.lnk";

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
    std::string link_;  // the shortcut the run makes, through the shell and COM
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
    std::optional<e2e::Probe::Shortcut> shortcut = probe().readShortcut(link_);
    ASSERT_TRUE(shortcut) << "no shortcut made under the restriction: " << e2e::readable(link_);
    EXPECT_EQ(shortcut->target, installation().folder() + "表計算.exe");
}

}  // namespace
