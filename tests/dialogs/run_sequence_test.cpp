// The run after start-up, on real files through the native backend: the outcome's message,
// the rollback before a failure's, the completion after a success's, and the record saved
// after every confirmed run.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "app/updater.h"
#include "engine/run_state.h"
#include "tests/fakes/recording_files.h"
#include "tests/fakes/recording_shell.h"
#include "tests/fakes/recording_ui.h"
#include "tests/fakes/scripted_updater_ui.h"
#include "tests/support/manifest_builder.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/fresh_run_state.h"

namespace {

using manifest::ManifestEntry;
using testing_support::entry;
using testing_support::manifestBytes;
using testing_support::setText;

const std::string kUpdateCompleted = "アップデートが完了しました";
const std::string kRemovalCompleted = "アップデートファイルの削除が完了しました";
const std::string kUpdateFailed = "アップデートに失敗しました";
const std::string kRemovalFailed = "アップデートファイルの削除に失敗しました";
const std::string kDone = "完了";

class RunSequence : public ::testing::Test {
protected:
    testing_support::FreshRunState runState;
    testing_support::ScratchFolder folder;
    fakes::ScriptedUpdaterUi ui;
    fakes::RecordingMessageBoxes boxes;
    std::vector<ManifestEntry> updateEntries;
    std::vector<ManifestEntry> installedEntries;
    manifest::UpdateHeader updateHeader = testing_support::updateHeader("K", "V", 0);
    manifest::UninstallHeader installedHeader{};

    // What was to be seen while each message box was up.
    struct Sight {
        bool progressDialogUp;
        std::string firstCarriedString;
        std::string replacedFile;
        bool newFileThere;
        bool shortcutThere;
    };
    std::vector<Sight> sights;

    void SetUp() override {
        folder.makeFolder("update\\data");
        folder.makeFolder("install");
        setText(updateHeader.carriedStrings[0], "新しい版");
        setText(installedHeader.carriedStrings[0], "古い版のままの文字列");
        setText(installedHeader.carriedStrings[1], "空の文字列では変わらない");
        boxes.whileShown = [this](const fakes::RecordingMessageBoxes::Box&) {
            sights.push_back({ui.count("showProgressDialog") > ui.count("destroyProgressDialog"),
                              engine::runState().uninstallManifest.header.carriedStrings[0],
                              folder.readBytes("install\\replaced.txt"), folder.exists("install\\new.txt"),
                              folder.exists("programs\\製品.lnk")});
        };
    }

    void bring(const std::string& name, const std::string& bytes) {
        folder.writeBytes("update\\data\\" + name, bytes);
        updateEntries.push_back(entry(name, bytes.size()));
    }
    void install(const std::string& name, const std::string& bytes) {
        folder.writeBytes("install\\" + name, bytes);
        installedEntries.push_back(entry(name, bytes.size()));
        installedHeader.entryCount = installedHeader.fileCount = static_cast<uint32_t>(installedEntries.size());
    }

    app::RunOutcome run(bool removal = false) {
        arrange(removal);
        return app::runSequence();
    }
    void arrange(bool removal = false) {
        engine::RunState& run = engine::runState();
        run.RemovalMode = removal;
        run.UpdateFolder = folder / "update\\";
        run.installationValue = folder / "install\\";
        run.uninstallManifestPath = run.installationValue + "Uninstallinf.dat";
        updateHeader.entryCount = static_cast<uint32_t>(updateEntries.size());
        run.updateManifest.header = updateHeader;
        run.updateManifest.entries = std::make_unique<ManifestEntry[]>(updateEntries.size());
        std::copy(updateEntries.begin(), updateEntries.end(), run.updateManifest.entries.get());
        folder.writeBytes("install\\Uninstallinf.dat", manifestBytes(installedHeader, installedEntries));
        ASSERT_EQ(manifest::loadUninstallManifest(run.uninstallManifestPath, updateHeader.entryCount, run.uninstallManifest),
                  manifest::LoadResult::Loaded);
        // Whatever stands in the record's place after the run was saved by it.
        folder.writeBytes("install\\Uninstallinf.dat", "not saved");
    }

    std::string recordOnDisk() { return folder.readBytes("install\\Uninstallinf.dat"); }
    std::string recordInMemory() {
        const manifest::UninstallManifest& record = engine::runState().uninstallManifest;
        return manifestBytes(record.header, {record.entries(), record.entries() + record.header.entryCount});
    }
    // Each box as text and caption, "-" standing for none: the system's default.
    void expectBoxes(const std::vector<std::pair<std::string, std::string>>& expected) {
        ASSERT_EQ(boxes.boxes.size(), expected.size());
        for (size_t i = 0; i < expected.size(); ++i) {
            const fakes::RecordingMessageBoxes::Box& box = boxes.boxes[i];
            EXPECT_EQ(std::make_pair(box.text, box.hasCaption ? box.caption : "-"), expected[i]);
            EXPECT_EQ(box.type, 0u) << "OK only, no icon";
        }
        ASSERT_EQ(sights.size(), expected.size());
        EXPECT_FALSE(sights.back().progressDialogUp) << "the outcome comes after the progress dialog went";
    }
};

TEST_F(RunSequence, DecliningOrAConfirmationThatCannotBeShownEndsTheRunUntouched) {
    bring("new.txt", "brought");
    for (int declined : {0, -1}) {
        arrange();
        fakes::RecordingFiles files;
        ui.confirmation = declined;
        EXPECT_EQ(app::runSequence(), app::RunOutcome::Declined);
        EXPECT_EQ(ui.calls, std::vector<std::string>{"runConfirmation"}) << declined;
        EXPECT_TRUE(files.calls.empty()) << declined;
        EXPECT_EQ(recordOnDisk(), "not saved");
        ui.calls.clear();
    }
}

class SuccessfulRun : public RunSequence, public ::testing::WithParamInterface<bool> {};

TEST_P(SuccessfulRun, IsToldUnderDoneThenTheShortcutsAndCarriedStringsAreKeptAndSaved) {
    bool removal = GetParam();
    if (removal) install("new.txt", "installed");
    bring("new.txt", "brought");
    fakes::RecordingShell shell;
    folder.makeFolder("programs");
    shell.answer(platform::kCsidlPrograms, folder / "programs");
    setText(installedHeader.templateArgument, "製品");
    setText(updateHeader.shortcuts[0].nameTemplate, "%s");
    setText(updateHeader.shortcuts[0].target, "new.txt");
    EXPECT_EQ(run(removal), app::RunOutcome::Succeeded);
    expectBoxes({{removal ? kRemovalCompleted : kUpdateCompleted, kDone}});
    EXPECT_EQ(sights[0].firstCarriedString, "古い版のままの文字列") << "completion waits for the message";
    EXPECT_FALSE(sights[0].shortcutThere) << "completion waits for the message";
    EXPECT_EQ(sights[0].newFileThere, !removal);
    ASSERT_EQ(shell.links.size(), 1u);
    EXPECT_EQ(shell.links[0].targetPath, folder / "install\\new.txt");
    EXPECT_TRUE(folder.exists("programs\\製品.lnk"));

    std::string record = recordOnDisk();
    ASSERT_EQ(record, recordInMemory());
    manifest::UninstallHeader saved{};
    std::memcpy(&saved, record.data(), sizeof saved);
    char expected[128] = "新しい版";
    EXPECT_EQ(std::string(saved.carriedStrings[0], 128), std::string(expected, 128)) << "the old tail is cleared";
    EXPECT_STREQ(saved.carriedStrings[1], "空の文字列では変わらない") << "an empty string carries nothing";
    EXPECT_STREQ(saved.shortcuts[0].target, "new.txt") << "the slot is recorded";
}

INSTANTIATE_TEST_SUITE_P(EitherMode, SuccessfulRun, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) { return info.param ? "Removal" : "Update"; });

TEST_F(RunSequence, AFailureIsRolledBackBeforeItsMessageWhichFollowsTheEnginesOwn) {
    install("replaced.txt", "old content");
    bring("replaced.txt", "new content");
    bring("new.txt", "brought");
    updateEntries.push_back(entry("missing.txt", 1));
    EXPECT_EQ(run(), app::RunOutcome::RolledBack);
    expectBoxes({{folder / "update\\data\\missing.txtのオープンに失敗しました", "-"}, {kUpdateFailed, "-"}});
    EXPECT_EQ(sights[1].replacedFile, "old content");
    EXPECT_FALSE(sights[1].newFileThere);
    EXPECT_EQ(recordOnDisk(), recordInMemory()) << "saved with what the engine recorded before the failure";
    EXPECT_EQ(engine::runState().uninstallManifest.header.entryCount, 2u) << "new.txt stays listed";
}

TEST_F(RunSequence, ACancelShowsOnlyTheFailureMessageAfterTheRollback) {
    install("replaced.txt", "old content");
    bring("replaced.txt", std::string(250000, 'n'));
    ui.cancelAtPump = 1;
    EXPECT_EQ(run(), app::RunOutcome::RolledBack);
    expectBoxes({{kUpdateFailed, "-"}});
    EXPECT_EQ(sights[0].replacedFile, "old content");
    EXPECT_EQ(recordOnDisk(), recordInMemory());
}

TEST_F(RunSequence, ARemovalFailureRollsNothingBack) {
    install("replaced.txt", "deleted first");
    updateEntries.push_back(entry("replaced.txt", 13));
    updateEntries.push_back(entry("absent.txt", 1));
    EXPECT_EQ(run(true), app::RunOutcome::Failed);
    expectBoxes({{folder / "install\\absent.txtの削除に失敗しました", "-"}, {kRemovalFailed, "-"}});
    EXPECT_FALSE(folder.exists("install\\replaced.txt"));
    EXPECT_EQ(recordOnDisk(), recordInMemory());
    EXPECT_EQ(engine::runState().uninstallManifest.header.entryCount, 0u);
}

class FolderTooLong : public RunSequence, public ::testing::WithParamInterface<bool> {};

TEST_P(FolderTooLong, EndsTheRunBeforeTheProgressDialog) {
    // 260 bytes each: one past what a path may hold.
    std::string longFolder = "C:\\" + std::string(251, 'f') + "\\";
    bool dataFolder = GetParam();
    if (dataFolder) {
        engine::runState().UpdateFolder = longFolder;
    } else {
        engine::runState().installationValue = longFolder + "inst";
    }
    EXPECT_EQ(app::runSequence(), app::RunOutcome::FoldersTooLong);
    expectBoxes({{longFolder + (dataFolder ? "data\\" : "inst\\") + "のパスが長すぎます", "-"}});
    EXPECT_EQ(ui.calls, std::vector<std::string>{"runConfirmation"});
}

INSTANTIATE_TEST_SUITE_P(EitherFolder, FolderTooLong, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) { return info.param ? "Data" : "Installation"; });

}  // namespace
