// Faults during whole runs of Update.exe under Wine: a disk that fills up, a kill at many
// points, a program of the installation that is running, a file another program holds open,
// and the same update run twice. Uninstallinf.dat must be the old record or the new one,
// whole, every time.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <optional>
#include <sstream>
#include <thread>

#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "manifest/package_names.h"
#include "tests/wine_driver/dialog.h"
#include "tests/e2e/harness/outcome_texts.h"
#include "tests/e2e/harness/record_on_disk.h"
#include "tests/e2e/harness/updater_case.h"
#include "tests/support/manifest_builder.h"

namespace {

namespace fs = std::filesystem;
using wine_driver::Dialog;
using wine_driver::kIdOk;
using e2e::kUpdateCompleted;
using e2e::kUpdateFailed;
using e2e::RecordOnDisk;
using std::chrono::milliseconds;
using std::chrono::seconds;

constexpr uint64_t kLarge = 120000000;  // long enough to copy that kills land inside it

// A tmpfs of its own while the object lives, which the Wine user may fill.
class SmallDisk {
public:
    explicit SmallDisk(uint64_t bytes) {
        char pattern[] = "/tmp/updater-e2e-disk.XXXXXX";
        if (!::mkdtemp(pattern)) {
            problem_ = std::strerror(errno);
            return;
        }
        folder_ = pattern;
        std::string options = "size=" + std::to_string(bytes) + ",mode=0777";
        if (::mount("tmpfs", folder_.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, options.c_str()) == 0) {
            mounted_ = true;
        } else {
            problem_ = std::strerror(errno);
        }
    }
    ~SmallDisk() {
        // A file still open on the disk keeps it busy for a moment after its process has
        // gone; one held for good is only detached, and goes when it is closed.
        for (int tries = 0; mounted_ && tries < 50; ++tries) {
            if (::umount2(folder_.c_str(), 0) == 0) mounted_ = false;
            else if (errno == EBUSY) std::this_thread::sleep_for(milliseconds(100));
            else break;
        }
        if (mounted_ && ::umount2(folder_.c_str(), MNT_DETACH) != 0) {
            std::cout << "[ disk     ] cannot unmount " << folder_ << ": " << std::strerror(errno) << std::endl;
            return;
        }
        if (!folder_.empty()) ::rmdir(folder_.c_str());
    }
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    bool mounted() const { return mounted_; }
    const std::string& folder() const { return folder_; }
    const std::string& problem() const { return problem_; }

private:
    std::string folder_;
    std::string problem_;
    bool mounted_ = false;
};

class Faults : public e2e::UpdaterCase {
protected:
    void SetUp() override {
        UpdaterCase::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        aimUpdateAtInstallation();
    }

    // An installation of its own in folder, which the registry value then names.
    e2e::Installation& installAt(const std::string& folder, const std::map<std::string, std::string>& files) {
        installations_.push_back(std::make_unique<e2e::Installation>(session(), folder));
        e2e::Installation& made = *installations_.back();
        for (const auto& [name, bytes] : files) made.addFile(name, bytes);
        made.install(kRegistryKey, kRegistryValue);
        return made;
    }

    std::string file(const e2e::Installation& at, const std::string& name) {
        return wine_driver::readWholeFile(session().hostPath(at.folder() + name));
    }
    bool there(const e2e::Installation& at, const std::string& name) { return session().exists(at.folder() + name); }

    // Starts the updater, confirms, and answers every message box with OK until it ends;
    // the texts of the boxes, in order.
    std::vector<std::string> runToEnd() {
        std::unique_ptr<wine_driver::WineProgram> updater = startUpdater();
        std::optional<Dialog> confirmation = probe().waitForDialog();
        if (!confirmation || !probe().press(*confirmation, kIdOk)) {
            ADD_FAILURE() << "no confirmation to answer\n" << updater->errors();
            return {};
        }
        std::vector<std::string> shown;
        for (int step = 0; step < 60 && !updater->waitForExit(milliseconds(200)); ++step) {
            std::optional<Dialog> box = probe().waitForDialog(seconds(2));
            if (!box || box->visibleButtons().size() != 1 || box->visibleButtons()[0]->id != kIdOk) continue;
            shown.push_back(box->control(-1) ? box->control(-1)->text : "");
            probe().press(*box, kIdOk);
            probe().waitUntilGone(*box, seconds(5));
        }
        if (!updater->waitForExit(seconds(30))) ADD_FAILURE() << "Update.exe still runs";
        return shown;
    }

    // Unmounted after TearDown, which ends every Wine process of the prefix.
    std::optional<SmallDisk> disk_;
    std::vector<std::unique_ptr<e2e::Installation>> installations_;
};

TEST_F(Faults, ADiskThatFillsUpFailsTheWriteAndTheRollbackLeavesTheInstallationAndItsRecordAsTheyWere) {
    constexpr uint64_t kDiskBytes = 256 * 1024;
    disk_.emplace(kDiskBytes);
    if (!disk_->mounted()) {
        GTEST_SKIP() << "cannot mount a tmpfs here (" << disk_->problem() << "): the unit test "
                     << "DiskFull.TheWriteFailsTheRollbackRestoresEveryOldFileAndTheRecordLoadsWhole covers the full "
                     << "disk with the files service's short writes";
    }
    session().mapDrive('d', disk_->folder());
    // The program is replaced by one of its own size, so that its entry in the record, which
    // the run keeps after a failure, stays as it was; the large file is new, and the settings
    // come after it and are never reached.
    update().addFile("表計算.exe", std::string(40000, 'n'));
    update().addFile("大きい.bin", std::string(4 * kDiskBytes, 'L'));
    update().addFile("設定.ini", "new settings");
    update().write();
    e2e::Installation& at = installAt("D:\\表計算ソフト\\", {{"表計算.exe", std::string(40000, 'o')}, {"設定.ini", "old settings"}});
    e2e::FolderState before = at.state();

    EXPECT_EQ(runToEnd(), (std::vector<std::string>{at.folder() + "大きい.binの書き込みに失敗しました", kUpdateFailed}));
    e2e::FolderState after = at.state();
    auto bytesOf = [](const e2e::FolderState& state) {
        std::map<std::string, std::string> files;
        for (const auto& [name, file] : state.files) files[name] = file.bytes;
        return files;
    };
    // Every old file with its old bytes, Uninstallinf.dat among them, and nothing else: no
    // part of the large file, no .bak, no temporary record.
    EXPECT_TRUE(bytesOf(after) == bytesOf(before)) << after.differencesFrom(before);
}

// The update every kill case applies: two files replaced, a large file and a small one new.
const std::map<std::string, std::string> kOldFiles = {{"表計算.exe", std::string(5000, 'o')}, {"設定.ini", "old settings"}};

void bringUpdate(e2e::UpdatePackage& update, e2e::Session& session) {
    update.addFile("表計算.exe", std::string(7000, 'n'));
    update.addFile("設定.ini", "new settings");
    std::string large = update.folder() + "data\\大きい.bin";
    session.writeFile(large, "");
    fs::resize_file(session.hostPath(large), kLarge);
    update.entries.push_back(testing_support::entry("大きい.bin", kLarge));
    update.addFile("新規.txt", "new file");
}

// What `patchkit audit` finds in an installation: each kind of disagreement with its count,
// "agrees" when there is none. The audit's exit status is 0 or 1; 2 would be a usage error.
std::string auditOf(const std::string& hostFolder) {
    std::string report = (fs::temp_directory_path() / ("audit-" + std::to_string(::getpid()) + ".txt")).string();
    std::string command = std::string("'") + UPDATER_E2E_PATCHKIT + "' audit '" + hostFolder + "' >'" + report + "' 2>&1";
    int status = std::system(command.c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) <= 1) << command;
    std::ifstream lines(report);
    std::map<std::string, int> kinds;
    for (std::string line; std::getline(lines, line);) {
        size_t colon = line.find(": ");
        if (colon != std::string::npos && line.compare(0, hostFolder.size(), hostFolder) != 0) ++kinds[line.substr(0, colon)];
    }
    fs::remove(report);
    if (kinds.empty()) return "agrees";
    std::ostringstream text;
    for (const auto& [kind, count] : kinds) text << (text.tellp() > 0 ? ", " : "") << count << " " << kind;
    return text.str();
}

TEST_F(Faults, AKillAtAnyPointLeavesTheOldRecordOrTheNewOneWhole) {
    bringUpdate(update(), session());
    update().write();
    // The reference: the same update run to its end gives the new record.
    e2e::Installation& reference = installAt("C:\\製品\\基準\\", kOldFiles);
    std::string oldRecord = file(reference, "Uninstallinf.dat");
    ASSERT_EQ(runToEnd(), std::vector<std::string>{kUpdateCompleted});
    std::string newRecord = file(reference, "Uninstallinf.dat");
    ASSERT_NE(newRecord, oldRecord);

    // Fixed delays after the confirmation's OK, and the moments the probe can see: the
    // progress dialog up, the outcome shown, and the outcome dismissed, after which the
    // record is saved.
    const std::vector<std::string> points = {"0 ms", "300 ms", "1500 ms", "progress", "outcome", "dismissed"};
    std::map<std::string, int> states;
    int index = 0;
    for (const std::string& point : points) {
        SCOPED_TRACE("killed at " + point);
        e2e::Installation& at = installAt("C:\\製品\\停止" + std::to_string(++index) + "\\", kOldFiles);
        std::unique_ptr<wine_driver::WineProgram> updater = startUpdater();
        std::optional<Dialog> confirmation = probe().waitForDialog();
        ASSERT_TRUE(confirmation) << updater->errors();
        const std::vector<std::string> confirm = {"press", std::to_string(kIdOk)};
        if (point == "progress" || point == "outcome" || point == "dismissed") {
            std::string caption = point == "progress" ? "アップデート中" : "完了";
            std::optional<Dialog> shown = point == "progress"
                                              ? probe().actAndCatchNext(*confirmation, confirm)
                                              : probe().actAndWaitForMessageBox(*confirmation, confirm, seconds(60));
            bool reached = shown && shown->caption == caption;
            if (reached && point == "dismissed") probe().press(*shown, kIdOk);
            // Otherwise the kill below would come at an unknown moment and pass for this one.
            EXPECT_TRUE(reached) << "no dialog captioned " << caption;
        } else {
            ASSERT_TRUE(probe().press(*confirmation, kIdOk));
            std::this_thread::sleep_for(milliseconds(std::stoi(point)));
        }
        updater->kill();
        updater->waitForExit(seconds(10));

        std::string record = file(at, "Uninstallinf.dat");
        EXPECT_TRUE(RecordOnDisk(record).whole());
        std::string recordState = record == oldRecord ? "old record" : record == newRecord ? "new record" : "other record";
        EXPECT_NE(recordState, "other record");
        std::error_code missing;
        uint64_t large = fs::file_size(session().hostPath(at.folder() + "大きい.bin"), missing);
        int replaced = (file(at, "表計算.exe") == std::string(7000, 'n')) + (file(at, "設定.ini") == "new settings") +
                       (!missing && large == kLarge) + there(at, "新規.txt");
        int backups = there(at, "表計算.exe.bak") + there(at, "設定.ini.bak");
        std::string state = recordState + ", " + std::to_string(replaced) + " of 4 files new" +
                            (!missing && large != kLarge ? " and the large one partly" : "") + ", " +
                            std::to_string(backups) + " .bak" + (there(at, manifest::recordTemporaryName(1)) ? ", a temporary of the record left" : "") +
                            "; audit: " + auditOf(session().hostPath(at.folder()));
        std::cout << "[ killed   ] at " << point << ": " << state << std::endl;
        ++states[state];
    }
    for (const auto& [state, count] : states) std::cout << "[ states   ] " << count << " x " << state << std::endl;
}

TEST_F(Faults, ARunningProgramIsReplacedAndItsOldFileBecomesItsBak) {
    std::string program = wine_driver::readWholeFile(session().hostPath("C:\\windows\\system32\\notepad.exe"));
    ASSERT_FALSE(program.empty());
    update().addFile("表計算.exe", "new program");
    update().write();
    e2e::Installation& at = installAt(kInstallFolder, {{"表計算.exe", program}});
    std::unique_ptr<wine_driver::WineProgram> running = session().start(at.folder() + "表計算.exe", {});
    std::this_thread::sleep_for(seconds(2));
    ASSERT_FALSE(running->waitForExit(milliseconds(1))) << "the installation's program did not stay up";

    EXPECT_EQ(runToEnd(), std::vector<std::string>{kUpdateCompleted});
    EXPECT_EQ(file(at, "表計算.exe"), "new program");
    EXPECT_TRUE(file(at, "表計算.exe.bak") == program) << "the running program's file is its .bak";
    running->kill();
}

TEST_F(Faults, AFileHeldWithoutDeleteSharingFailsWithTheBackupMessageAndTheRestIsRolledBack) {
    for (const char* name : {"a.txt", "b.txt", "c.txt"}) update().addFile(name, std::string("new ") + name);
    update().write();
    e2e::Installation& at = installAt(kInstallFolder, {{"a.txt", "old a"}, {"b.txt", "old b"}, {"c.txt", "old c"}});
    session().copyFromHost((fs::path(session().build().probe).parent_path() / "hold_open.exe").string(),
                           "C:\\e2e-probe\\hold_open.exe");
    std::unique_ptr<wine_driver::WineProgram> holder = session().start("C:\\e2e-probe\\hold_open.exe", {at.folder() + "b.txt"});
    for (int tries = 0; tries < 50 && holder->output().find("held") == std::string::npos; ++tries) {
        std::this_thread::sleep_for(milliseconds(200));
    }
    ASSERT_NE(holder->output().find("held"), std::string::npos) << holder->errors();

    EXPECT_EQ(runToEnd(), (std::vector<std::string>{at.folder() + "b.txtのバックアップに失敗しました", kUpdateFailed}));
    holder->kill();
    EXPECT_EQ(file(at, "a.txt"), "old a");
    EXPECT_EQ(file(at, "b.txt"), "old b");
    EXPECT_EQ(file(at, "c.txt"), "old c");
    for (const char* name : {"a.txt.bak", "b.txt.bak", "c.txt.bak"}) EXPECT_FALSE(there(at, name)) << name;
}

// Wine's look-up of a.txt answers with its Linux twin A.txt too, once a.txt is moved to its
// backup: the entry fails at the open before any change.
TEST_F(Faults, ANameWhoseTwinTheLookUpFindsFailsAtTheOpenAndLosesNothing) {
    update().addFile("a.txt", "new a");
    update().write();
    e2e::Installation& at = installAt(kInstallFolder, {{"a.txt", "old a"}, {"A.txt", "old A"}});
    EXPECT_EQ(runToEnd(), (std::vector<std::string>{at.folder() + "a.txtのオープンに失敗しました", kUpdateFailed}));
    EXPECT_EQ(file(at, "a.txt") + ", " + file(at, "A.txt"), "old a, old A");
    EXPECT_FALSE(there(at, "a.txt.bak"));
}

TEST_F(Faults, TwoRunsLeaveWhatOneLeavesApartFromTheBackups) {
    update().addFolder("新フォルダ\\");
    update().addFile("新フォルダ\\追加.txt", "added");
    update().addFile("設定.ini", "new settings");
    update().write();
    e2e::Installation& at = installAt(kInstallFolder, {{"設定.ini", "old settings"}});
    auto withoutBackups = [&] {
        std::map<std::string, std::string> files;
        for (const auto& [name, state] : e2e::FolderState::of(session().hostPath(at.folder())).files) {
            if (name.size() < 4 || name.substr(name.size() - 4) != ".bak") files[name] = state.bytes;
        }
        return files;
    };
    ASSERT_EQ(runToEnd(), std::vector<std::string>{kUpdateCompleted});
    std::map<std::string, std::string> once = withoutBackups();
    EXPECT_EQ(file(at, "設定.ini.bak"), "old settings");
    ASSERT_EQ(runToEnd(), std::vector<std::string>{kUpdateCompleted});
    EXPECT_EQ(withoutBackups(), once) << "the installation and its record after the second run";
    EXPECT_EQ(file(at, "設定.ini.bak"), "new settings") << "the second run's backup holds what the first brought";
    EXPECT_EQ(file(at, "新フォルダ\\追加.txt.bak"), "added") << "a file the first run added is replaced in turn";
}

}  // namespace
