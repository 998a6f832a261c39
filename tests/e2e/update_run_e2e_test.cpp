// Whole runs of Update.exe under Wine, from the confirmation to exit: what lands in the
// installation, the .bak files, the rewritten Uninstallinf.dat read back by its offsets, and
// the windows the user sees on the way.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <thread>

#include "manifest/package_names.h"
#include "platform/shell.h"
#include "resources/resource_ids.h"
#include "tools/patchkit/package_packing.h"
#include "tests/e2e/harness/outcome_texts.h"
#include "tests/e2e/harness/record_on_disk.h"
#include "tests/e2e/harness/updater_case.h"
#include "tests/support/manifest_builder.h"

namespace {

namespace fs = std::filesystem;
using wine_driver::Dialog;
using wine_driver::kIdCancel;
using wine_driver::kIdOk;
using e2e::kDone;
using e2e::kRemovalCompleted;
using e2e::kRemovalFailed;
using e2e::kUpdateCompleted;
using e2e::kUpdateFailed;
using e2e::RecordOnDisk;
using std::chrono::milliseconds;
using std::chrono::seconds;

constexpr uint64_t kMegabyte = 1000000;

class UpdateRun : public e2e::UpdaterCase {
protected:
    void SetUp() override {
        UpdaterCase::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        aimUpdateAtInstallation();
    }

    // Everything arranged: the package and the installation are written, the updater starts
    // and its confirmation is waited for.
    Dialog start(const std::vector<std::string>& arguments = {}) {
        update().write();
        return startWritten(arguments);
    }
    // The same for a package that is in its folder already.
    Dialog startWritten(const std::vector<std::string>& arguments = {}) {
        installation().install(kRegistryKey, kRegistryValue);
        recordBefore_ = record().bytes();
        updater_ = startUpdater(arguments);
        std::optional<Dialog> dialog = probe().waitForDialog();
        if (!dialog) ADD_FAILURE() << "no confirmation\n" << updater_->errors();
        return dialog.value_or(Dialog{});
    }

    // The steps after the confirmation's OK; every dialog dumped on the way comes back.
    wine_driver::Probe::Result confirmThen(const Dialog& confirmation, const std::vector<std::string>& steps) {
        std::vector<std::string> all{"use", confirmation.handle, "press", "1"};
        all.insert(all.end(), steps.begin(), steps.end());
        return probe().run(all, seconds(120));
    }

    // A file of the update with size bytes, made sparse on the host so that it costs no disk:
    // zeros, with a marker byte at every ten megabytes so that a misplaced chunk shows.
    void bringLargeFile(const std::string& name, uint64_t size) {
        std::string windowsPath = update().folder() + "data\\" + name;
        session().writeFile(windowsPath, "");
        std::string host = session().hostPath(windowsPath);
        fs::resize_file(host, size);
        std::fstream file(host, std::ios::in | std::ios::out | std::ios::binary);
        for (uint64_t at = 0; at < size; at += 10 * kMegabyte) {
            file.seekp(static_cast<std::streamoff>(at));
            file.put(static_cast<char>(1 + at / (10 * kMegabyte)));
        }
        update().entries.push_back(testing_support::entry(name, size));
    }
    bool isLargeFileCopy(const std::string& name, uint64_t size) {
        std::string host = session().hostPath(installation().folder() + name);
        std::error_code error;
        if (fs::file_size(host, error) != size) return false;
        std::ifstream file(host, std::ios::binary);
        for (uint64_t at = 0; at < size; at += 10 * kMegabyte) {
            file.seekg(static_cast<std::streamoff>(at));
            if (file.get() != static_cast<int>(1 + at / (10 * kMegabyte))) return false;
        }
        return true;
    }

    void makeReadOnly(const std::string& name) {
        fs::permissions(session().hostPath(installation().folder() + name), fs::perms::owner_write | fs::perms::group_write |
                        fs::perms::others_write, fs::perm_options::remove);
    }
    bool isReadOnly(const std::string& name) {
        struct stat status {};
        return ::stat(session().hostPath(installation().folder() + name).c_str(), &status) == 0 && !(status.st_mode & S_IWUSR);
    }

    // The attribute letters that Wine's own attrib shows for a file of the installation
    // ("A", "H", "R"...), as a Windows program sees them.
    std::string attributes(const std::string& name) {
        wine_driver::Completed shown = session().run("attrib", {installation().folder() + name});
        return shown.out.substr(0, std::min(shown.out.find("C:"), shown.out.size()));
    }
    void hide(const std::string& name) { session().run("attrib", {"+h", installation().folder() + name}); }

    std::string installed(const std::string& name) {
        return wine_driver::readWholeFile(session().hostPath(installation().folder() + name));
    }
    bool there(const std::string& name) { return session().exists(installation().folder() + name); }
    RecordOnDisk record() { return RecordOnDisk(installed("Uninstallinf.dat")); }
    RecordOnDisk recordBefore() { return RecordOnDisk(recordBefore_); }

    // Checks the box, presses its OK and expects the updater to end with 0 and no other
    // window: a further message box would keep it running.
    void expectLastMessage(const Dialog& box, const std::string& text, const std::string& caption) {
        e2e::expectMessageBox(box, text, caption);
        ASSERT_TRUE(probe().press(box, kIdOk));
        expectExit();
    }
    void expectExit() {
        std::optional<int> exitCode = updater_->waitForExit(seconds(60));
        ASSERT_TRUE(exitCode) << "Update.exe still runs";
        EXPECT_EQ(*exitCode, 0);
    }

    static std::vector<long> positions(const wine_driver::Probe::Result& result) {
        std::vector<long> seen;
        std::istringstream lines(result.output);
        std::string line;
        while (std::getline(lines, line)) {
            if (line.rfind("progress ", 0) == 0) seen.push_back(std::stol(line.substr(9)));
        }
        return seen;
    }

    std::unique_ptr<wine_driver::WineProgram> updater_;
    std::string recordBefore_;
};

const std::string kBox = "box";
const std::string kWait = "60000";

TEST_F(UpdateRun, BringsANewFolderReplacesFilesAndKeepsTheRecordInStep) {
    installation().addFile("設定.ini", "old settings", 1);
    installation().addFile("readme.TXT", "old readme", 2);
    testing_support::setText(installation().record.header.carriedStrings[0], "1.0");
    testing_support::setText(installation().record.header.carriedStrings[2], "残す文字列");
    for (uint8_t& byte : installation().record.header.reserved) byte = 0xA5;
    update().addFolder("新フォルダ\\");
    update().addFile("新フォルダ\\追加.txt", "added", 3);
    update().addFile("設定.ini", "new settings, longer", 4);
    update().addFile("README.txt", "new readme", 5);
    const uint64_t kLarge = 300 * kMegabyte;
    bringLargeFile("大きい.bin", kLarge);
    testing_support::setText(update().header.carriedStrings[0], "2.0");
    Dialog confirmation = start();
    makeReadOnly("設定.ini");

    wine_driver::Probe::Result run = confirmThen(
        confirmation, {"next", kWait, "dump", "progress", std::to_string(IDC_PROGRESS), "-1", "120000", kBox, kWait, "dump"});
    ASSERT_EQ(run.dialogs.size(), 2u) << run.output;
    std::vector<long> seen = positions(run);
    long between = 0;
    for (size_t i = 0; i < seen.size(); ++i) {
        EXPECT_LE(seen[i], 100) << i;
        if (i) {
            EXPECT_GT(seen[i], seen[i - 1]) << "positions of one file only rise";
        }
        between += seen[i] > 0 && seen[i] < 100;
    }
    EXPECT_GE(between, 2) << "the probe saw the bar move during the large copy";
    session().screenshot("success");
    expectLastMessage(run.dialogs[1], kUpdateCompleted, kDone);

    EXPECT_EQ(installed("新フォルダ\\追加.txt"), "added");
    EXPECT_EQ(installed("設定.ini"), "new settings, longer");
    EXPECT_EQ(installed("設定.ini.bak"), "old settings");
    EXPECT_FALSE(isReadOnly("設定.ini.bak")) << "attributes were cleared before the move";
    EXPECT_EQ(installed("README.txt"), "new readme");
    EXPECT_EQ(installed("README.txt.bak"), "old readme");
    EXPECT_TRUE(isLargeFileCopy("大きい.bin", kLarge));
    EXPECT_FALSE(there("大きい.bin.bak"));
    EXPECT_FALSE(there(manifest::recordTemporaryName(1)));

    RecordOnDisk after = record();
    ASSERT_TRUE(after.whole());
    EXPECT_EQ(after.entries(), (std::vector<RecordOnDisk::Entry>{{"設定.ini", 20, 4},
                                                                  {"readme.TXT", 10, 5},
                                                                  {"新フォルダ\\", 0, 0},
                                                                  {"新フォルダ\\追加.txt", 5, 3},
                                                                  {"大きい.bin", kLarge, 0}}));
    EXPECT_EQ(after.fileCount(), 4u);
    EXPECT_EQ(after.totalBytes(), 20u + 10 + 5 + kLarge);
    EXPECT_EQ(after.carriedString(0), RecordOnDisk::field("2.0"));
    EXPECT_EQ(after.carriedString(1), recordBefore().carriedString(1));
    EXPECT_EQ(after.carriedString(2), RecordOnDisk::field("残す文字列"));
    EXPECT_EQ(after.untouchedHeader(), recordBefore().untouchedHeader());
}

// The download as a vendor publishes it: the package packed by patchkit, then extracted in the
// prefix by a program that makes each member under its stored name through the ANSI calls, as
// the built-in extractor of a Japanese Windows does, and the extracted Update.exe runs the
// update. The archive is written by what pack writes once check has passed: check refuses the
// 64-bit test build of Update.exe, which is what runs where Wine runs only 64-bit programs.
TEST_F(UpdateRun, APackedDownloadExtractedAsAJapaneseWindowsDoesItUpdatesTheInstallation) {
    installation().addFile("設定.ini", "old settings");
    update().addFolder("新機能\\");
    update().addFolder("新機能\\表\\");
    update().addFile("新機能\\表\\ソ.txt", "second bytes 0x5C", 2);
    update().addFile("設定.ini", "new settings");
    update().write();
    session().writeFile(update().folder() + "Readme.txt", "before Update.exe by name");
    session().handOver();
    std::string archive = session().artifactFolder() + "/download.zip";
    patchkit::Findings findings;
    patchkit::PackSummary packed;
    ASSERT_TRUE(patchkit::writePackageArchive(session().hostPath(update().folder()), archive, findings, patchkit::Progress::silent(), packed))
        << findings.all().size() << " findings, the first: " << (findings.all().empty() ? "" : findings.all()[0].reason);
    fs::remove_all(session().hostPath(update().folder()));
    session().copyFromHost(archive, "C:\\download.zip");
    session().copyFromHost(session().build().folder + "/tests/e2e/probe/unzip_ansi.exe", "C:\\unzip_ansi.exe");
    wine_driver::Completed extracted = session().run("C:\\unzip_ansi.exe", {"C:\\download.zip", update().folder()});
    ASSERT_EQ(extracted.exitCode, 0) << extracted.err;
    EXPECT_EQ(extracted.out.rfind("Update.exe", 0), 0u) << "the updater comes first:\n" << extracted.out;

    wine_driver::Probe::Result run = confirmThen(startWritten(), {kBox, kWait, "dump"});
    ASSERT_EQ(run.dialogs.size(), 1u) << run.output;
    expectLastMessage(run.dialogs[0], kUpdateCompleted, kDone);
    EXPECT_EQ(installed("新機能\\表\\ソ.txt"), "second bytes 0x5C");
    EXPECT_EQ(installed("設定.ini"), "new settings");
    EXPECT_EQ(installed("設定.ini.bak"), "old settings");
    EXPECT_EQ(record().entries(), (std::vector<RecordOnDisk::Entry>{
                                      {"設定.ini", 12, 0}, {"新機能\\", 0, 0}, {"新機能\\表\\", 0, 0}, {"新機能\\表\\ソ.txt", 17, 2}}));
}

// The record is hidden here: Wine's own replacing of files would drop that.
TEST_F(UpdateRun, AnUpdateWithoutEntriesCompletesAndRewritesOnlyTheRecordKeepingItsAttributes) {
    installation().addFile("表計算.exe", "program");
    testing_support::setText(update().header.carriedStrings[1], "新しい説明");
    Dialog confirmation = start();
    hide("Uninstallinf.dat");
    ASSERT_NE(attributes("Uninstallinf.dat").find('H'), std::string::npos);
    e2e::FolderState before = installation().state();

    wine_driver::Probe::Result run = confirmThen(confirmation, {kBox, kWait, "dump"});
    ASSERT_EQ(run.dialogs.size(), 1u) << run.output;
    expectLastMessage(run.dialogs[0], kUpdateCompleted, kDone);

    e2e::FolderState after = installation().state();
    after.files.erase("Uninstallinf.dat");
    before.files.erase("Uninstallinf.dat");
    EXPECT_TRUE(after == before) << after.differencesFrom(before);
    EXPECT_EQ(record().carriedString(1), RecordOnDisk::field("新しい説明"));
    EXPECT_EQ(record().entries(), recordBefore().entries());
    EXPECT_NE(attributes("Uninstallinf.dat").find('H'), std::string::npos) << "still hidden";
}

TEST_F(UpdateRun, ACancelDuringALargeCopyRollsBackAndTellsOnlyTheFailure) {
    installation().addFile("大きい.bin", "old large");
    update().addFile("先.txt", "first");
    bringLargeFile("大きい.bin", 2000 * kMegabyte);
    Dialog confirmation = start();

    wine_driver::Probe::Result run = confirmThen(confirmation, {"next", kWait, "progress", std::to_string(IDC_PROGRESS), "1",
                                                        kWait, "press", std::to_string(kIdCancel), kBox, kWait, "dump"});
    ASSERT_EQ(run.dialogs.size(), 1u) << run.output;
    expectLastMessage(run.dialogs[0], kUpdateFailed, probe().defaultMessageBoxCaption());

    EXPECT_EQ(installed("大きい.bin"), "old large");
    EXPECT_FALSE(there("大きい.bin.bak"));
    EXPECT_FALSE(there("先.txt"));
    // The record keeps what was appended before the cancel, though the file has gone.
    RecordOnDisk after = record();
    ASSERT_TRUE(after.whole());
    EXPECT_EQ(after.entries(), (std::vector<RecordOnDisk::Entry>{{"大きい.bin", 9, 0}, {"先.txt", 5, 0}}));
    EXPECT_EQ(after.fileCount(), 2u);
    EXPECT_EQ(after.totalBytes(), 14u);
}

TEST_F(UpdateRun, AMissingSourceIsToldThenTheFailureAfterTheRollback) {
    installation().addFile("設定.ini", "old settings");
    update().addFile("設定.ini", "new settings");
    update().addFile("新.txt", "new");
    update().entries.push_back(testing_support::entry("欠落.txt", 7));
    Dialog confirmation = start();

    wine_driver::Probe::Result run = confirmThen(confirmation, {kBox, kWait, "dump"});
    ASSERT_EQ(run.dialogs.size(), 1u) << run.output;
    e2e::expectMessageBox(run.dialogs[0], update().folder() + "data\\欠落.txtのオープンに失敗しました",
                          probe().defaultMessageBoxCaption());
    session().screenshot("engine-message");
    wine_driver::Probe::Result next = probe().run({"use", run.dialogs[0].handle, "press", "1", kBox, kWait, "dump"});
    ASSERT_EQ(next.dialogs.size(), 1u) << next.output;
    expectLastMessage(next.dialogs[0], kUpdateFailed, probe().defaultMessageBoxCaption());

    EXPECT_EQ(installed("設定.ini"), "old settings");
    EXPECT_FALSE(there("設定.ini.bak"));
    EXPECT_FALSE(there("新.txt"));
    EXPECT_FALSE(there("欠落.txt"));
    EXPECT_EQ(record().entries(), (std::vector<RecordOnDisk::Entry>{{"設定.ini", 12, 0}, {"新.txt", 3, 0}}));
}

TEST_F(UpdateRun, RemovalDeletesTheListedFilesAndTheirRecords) {
    installation().addFolder("フォルダ\\");
    installation().addFile("フォルダ\\消す.txt", "remove me");
    installation().addFile("消す.txt", "remove");
    installation().addFile("残す.txt", "keep");
    update().addFolder("フォルダ\\");
    update().addFile("消す.txt", "remove");
    update().addFile("フォルダ\\消す.txt", "remove me");
    testing_support::setText(update().header.carriedStrings[0], "削除後");
    Dialog confirmation = start({"-u"});

    wine_driver::Probe::Result run = confirmThen(confirmation, {kBox, kWait, "dump"});
    ASSERT_EQ(run.dialogs.size(), 1u) << run.output;
    expectLastMessage(run.dialogs[0], kRemovalCompleted, kDone);

    EXPECT_FALSE(there("消す.txt"));
    EXPECT_FALSE(there("フォルダ\\消す.txt"));
    EXPECT_TRUE(there("フォルダ\\"));
    EXPECT_EQ(installed("残す.txt"), "keep");
    RecordOnDisk after = record();
    EXPECT_EQ(after.entries(), (std::vector<RecordOnDisk::Entry>{{"フォルダ\\", 0, 0}, {"残す.txt", 4, 0}}));
    EXPECT_EQ(after.fileCount(), 1u);
    EXPECT_EQ(after.totalBytes(), 4u);
    EXPECT_EQ(after.carriedString(0), RecordOnDisk::field("削除後"));
}

TEST_F(UpdateRun, RemovalOfAnAbsentFileFailsAndWhatWentBeforeStaysDeleted) {
    installation().addFile("消す.txt", "remove");
    installation().listOnly("無い.txt", 3);
    update().addFile("消す.txt", "remove");
    update().addFile("無い.txt", "abc");
    Dialog confirmation = start({"-u"});

    wine_driver::Probe::Result run = confirmThen(confirmation, {kBox, kWait, "dump"});
    ASSERT_EQ(run.dialogs.size(), 1u) << run.output;
    e2e::expectMessageBox(run.dialogs[0], installation().folder() + "無い.txtの削除に失敗しました",
                          probe().defaultMessageBoxCaption());
    wine_driver::Probe::Result next = probe().run({"use", run.dialogs[0].handle, "press", "1", kBox, kWait, "dump"});
    ASSERT_EQ(next.dialogs.size(), 1u) << next.output;
    expectLastMessage(next.dialogs[0], kRemovalFailed, probe().defaultMessageBoxCaption());

    EXPECT_FALSE(there("消す.txt"));
    EXPECT_EQ(record().entries(), (std::vector<RecordOnDisk::Entry>{{"無い.txt", 3, 0}}));
}

TEST_F(UpdateRun, AReadOnlyRecordStaysAsItWasAfterAnUpdateThatChangedFiles) {
    installation().addFile("表計算.exe", "old");
    update().addFile("表計算.exe", "new");
    update().addFile("新.txt", "new");
    Dialog confirmation = start();
    makeReadOnly("Uninstallinf.dat");

    wine_driver::Probe::Result run = confirmThen(confirmation, {kBox, kWait, "dump"});
    ASSERT_EQ(run.dialogs.size(), 1u) << run.output;
    expectLastMessage(run.dialogs[0], kUpdateCompleted, kDone);

    EXPECT_EQ(installed("表計算.exe"), "new");
    EXPECT_EQ(installed("新.txt"), "new");
    EXPECT_EQ(record().bytes(), recordBefore_);
    EXPECT_TRUE(isReadOnly("Uninstallinf.dat"));
    EXPECT_FALSE(there(manifest::recordTemporaryName(1)));
}

// The record is written while nothing else happens: after the success message is dismissed.
// The updater is killed as soon as anything happens where the record lies (a temporary file
// beside it, or the record itself changing), and the record must then be the old one or the
// new one, whole.
TEST_F(UpdateRun, AKillWhileTheRecordIsWrittenLeavesTheOldRecordOrTheNewOneWhole) {
    // Large enough that writing and flushing it takes a while.
    for (int i = 0; i < 300000; ++i) installation().listOnly("記録\\" + std::to_string(i) + ".dat", i);
    update().addFile("新.txt", "new");
    Dialog confirmation = start();
    wine_driver::Probe::Result run = confirmThen(confirmation, {kBox, kWait, "dump"});
    ASSERT_EQ(run.dialogs.size(), 1u) << run.output;

    std::string recordPath = session().hostPath(installation().recordPath());
    std::string temporary = session().hostPath(installation().folder() + manifest::recordTemporaryName(1));
    std::atomic<bool> stop{false};
    std::atomic<bool> killedWhileSaving{false};
    std::thread watcher([&] {
        while (!stop) {
            std::error_code error;
            if (fs::exists(temporary) || fs::file_size(recordPath, error) != recordBefore_.size()) {
                updater_->kill();
                killedWhileSaving = true;
                return;
            }
        }
    });
    ASSERT_TRUE(probe().press(run.dialogs[0], kIdOk));
    std::optional<int> ended = updater_->waitForExit(seconds(60));
    stop = true;
    watcher.join();
    ASSERT_TRUE(ended);

    RecordOnDisk after = record();
    ASSERT_TRUE(after.whole()) << after.bytes().size() << " bytes";
    RecordOnDisk before = recordBefore();
    std::vector<RecordOnDisk::Entry> entries = before.entries();
    if (after.bytes() == before.bytes()) {
        std::cout << "[ note     ] killed before the move: the old record stands" << std::endl;
    } else {
        entries.push_back({"新.txt", 3, 0});
        EXPECT_EQ(after.entries(), entries);
        EXPECT_EQ(after.fileCount(), before.fileCount() + 1);
        std::cout << "[ note     ] killed after the move: the new record stands" << std::endl;
    }
    EXPECT_TRUE(killedWhileSaving) << "the save left no trace to be seen";
}

// The shortcuts of a whole run: real .lnk files in the prefix's Start menu, read back through
// the shell (IShellLinkA and IPersistFile::Load) by the probe.
class ShortcutRun : public UpdateRun {
protected:
    void SetUp() override {
        UpdateRun::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        perUser = probe().specialFolder(platform::kCsidlPrograms) + "\\表計算ソフト\\";
        allUsers = probe().specialFolder(platform::kCsidlCommonPrograms) + "\\表計算ソフト\\";
        ASSERT_GT(perUser.size(), 20u);
        session().makeFolder(perUser);
        session().makeFolder(allUsers);
        installation().addFile("表計算.exe", "program");
        testing_support::setText(installation().record.header.templateArgument, "表計算ソフト");
        testing_support::setText(installation().record.header.shortcutFolderTemplate, "%s\\");
    }
    static void fill(manifest::ShortcutSlot& slot, const std::string& nameTemplate, const std::string& target) {
        testing_support::setText(slot.nameTemplate, nameTemplate);
        testing_support::setText(slot.target, target);
    }
    void expectShortcut(const std::string& link, const std::string& arguments) {
        std::optional<wine_driver::Probe::Shortcut> shortcut = probe().readShortcut(link);
        ASSERT_TRUE(shortcut) << link;
        EXPECT_EQ(shortcut->target, installation().folder() + "表計算.exe");
        EXPECT_EQ(shortcut->arguments, arguments);
        EXPECT_EQ(shortcut->workingDirectory, installation().folder());
        EXPECT_EQ(shortcut->showCommand, 1);
    }
    void runToSuccess(const std::vector<std::string>& arguments, const std::string& message) {
        wine_driver::Probe::Result run = confirmThen(start(arguments), {kBox, kWait, "dump"});
        ASSERT_EQ(run.dialogs.size(), 1u) << run.output;
        expectLastMessage(run.dialogs[0], message, kDone);
    }

    std::string perUser, allUsers;
};

TEST_F(ShortcutRun, ANewShortcutIsMadePerUserWithItsArgumentsAndRecorded) {
    fill(installation().record.header.shortcuts[0], "%s", "表計算.exe");
    fill(update().header.shortcuts[0], "%s", "表計算.EXE");  // the same but for letter case
    fill(update().header.shortcuts[1], "%s (セーフモード)", "表計算.exe /safe");
    runToSuccess({}, kUpdateCompleted);

    expectShortcut(perUser + "表計算ソフト (セーフモード).lnk", "/safe");
    EXPECT_FALSE(session().exists(allUsers + "表計算ソフト (セーフモード).lnk")) << "no old one was there";
    EXPECT_FALSE(session().exists(perUser + "表計算ソフト.lnk")) << "an unchanged slot is taken to exist";
    EXPECT_EQ(record().shortcutSlot(1), RecordOnDisk::slot("%s (セーフモード)", "表計算.exe /safe"));
    EXPECT_EQ(record().shortcutSlot(0), recordBefore().shortcutSlot(0));
}

TEST_F(ShortcutRun, AnOldAllUsersShortcutIsReplacedInBothFoldersAfterARemovalToo) {
    fill(installation().record.header.shortcuts[2], "%s 1.0", "表計算.exe");
    fill(update().header.shortcuts[2], "%s", "表計算.exe");
    session().writeFile(perUser + "表計算ソフト 1.0.lnk", "old");
    session().writeFile(allUsers + "表計算ソフト 1.0.lnk", "old");
    runToSuccess({"-u"}, kRemovalCompleted);

    EXPECT_FALSE(session().exists(perUser + "表計算ソフト 1.0.lnk"));
    EXPECT_FALSE(session().exists(allUsers + "表計算ソフト 1.0.lnk"));
    expectShortcut(perUser + "表計算ソフト.lnk", "");
    expectShortcut(allUsers + "表計算ソフト.lnk", "");
    EXPECT_EQ(record().shortcutSlot(2), RecordOnDisk::slot("%s", "表計算.exe"));
}

}  // namespace
