// The dry run against the updater itself: for each package, the dry run on an installation,
// then the real updater on the very same installation (natively, through the seam, with the
// confirmation answered OK). What the dry run predicts must be what the real run leaves: every
// file and folder with its bytes and attributes, the record's bytes, the messages shown and
// the shortcuts made. Any difference is a fault in one of the two.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "app/updater.h"
#include "engine/run_state.h"
#include "platform/seam.h"
#include "tests/fakes/recording_shell.h"
#include "tests/fakes/recording_ui.h"
#include "tests/fakes/scripted_updater_ui.h"
#include "tests/tools/patchkit_runner.h"
#include "tests/support/fresh_run_state.h"
#include "tools/patchkit/dry_run/output.h"
#include "tools/patchkit/dry_run/report.h"
#include "tools/patchkit/dry_run/services.h"
#include "tools/patchkit/host_paths.h"

namespace {

using patchkit_testing::HostTree;
using patchkit_testing::patchkit;

// What a run leaves behind, in a form that shows the difference when two disagree.
struct LeftBehind {
    std::string tree;
    std::string record;
    std::string messages;
    std::string shortcuts;
};

std::string shortcutLine(const std::string& link, const std::string& target, const std::string& arguments,
                         const std::string& folder, int show, bool made) {
    return link + "|" + target + "|" + arguments + "|" + folder + "|" + std::to_string(show) + (made ? " made\n" : " not made\n");
}

std::string listing(const std::vector<overlay::TreeItem>& items) {
    std::ostringstream out;
    for (const overlay::TreeItem& item : items) {
        uint32_t attributes = item.attributes & (platform::kFileAttributeReadOnly | platform::kFileAttributeDirectory);
        out << item.name << " " << item.size << " " << item.digest << " " << attributes << "\n";
    }
    return out.str();
}

// Files are compared by their digests, which the overlay keeps only for a caller that asks.
overlay::Limits withDigests(overlay::Limits limits) {
    limits.digests = true;
    return limits;
}

class DryRunTest : public testing::Test {
protected:
    void SetUp() override {
        work = "work";
        tree.write("desc.json", patchkit_testing::kSampleDescription);
        patchkit_testing::writeSampleTree(tree, "old");
        tree.write("old/locked.txt", "locked 1.0");
        std::filesystem::copy(tree.at("old"), tree.at("new"), std::filesystem::copy_options::recursive);
        // The Programs folders are the test's, and the installer made its shortcut there.
        for (auto [csidl, folder] : {std::make_pair(platform::kCsidlPrograms, "user"), std::make_pair(platform::kCsidlCommonPrograms, "common")}) {
            std::string path, why;
            ASSERT_TRUE(patchkit::filePathOf(tree.path(folder), path, why));
            shell.answer(csidl, path);
        }
        tree.write(u8"user/サンプル製品/サンプル製品.lnk", "made by the installer");
    }

    // The installation of the old tree, its record written as an installer would, and the
    // package from old to new.
    void prepare(bool since = true) {
        std::filesystem::copy(tree.at("old"), tree.at(work), std::filesystem::copy_options::recursive);
        ASSERT_EQ(patchkit({"init-install", tree.path("desc.json"), tree.path(work)}).status, 0);
        std::filesystem::permissions(tree.at(work + "/locked.txt"), std::filesystem::perms::owner_write, std::filesystem::perm_options::remove);
        std::vector<std::string> make{"make", tree.path("desc.json"), tree.path("new"), tree.path("pkg")};
        if (since) make.insert(make.end(), {"--since", tree.path("old")});
        ASSERT_EQ(patchkit(make).status, 0);
    }

    patchkit::DryRunFolders folders(bool removal) {
        patchkit::DryRunFolders found;
        std::string why;
        EXPECT_TRUE(patchkit::dryRunFoldersOf({tree.path("pkg"), tree.path(work), removal}, found, why)) << why;
        return found;
    }

    // The disk as it is: an overlay that has changed nothing shows it.
    std::string onDisk(const std::string& folder) {
        overlay::FilesOverlay untouched(platform::files(), withDigests({}));
        std::vector<overlay::TreeItem> items;
        EXPECT_TRUE(untouched.tree(folder, items));
        return listing(items);
    }

    LeftBehind dryRun(bool removal) {
        patchkit::DryRunFolders where = folders(removal);
        overlay::FilesOverlay files(platform::files(), withDigests(patchkit::dryRunLimits(where)));
        patchkit::DryRunObservation seen;
        patchkit::runDryRun(where, files, patchkit::Progress::silent(), seen);
        std::vector<overlay::TreeItem> items;
        EXPECT_TRUE(files.tree(where.install, items));
        LeftBehind predicted{listing(items), seen.recordAfter, "", ""};
        for (const patchkit::RunEvent& event : seen.timeline) {
            if (event.kind == patchkit::RunEvent::MessageBox) predicted.messages += event.caption + "|" + event.text + "\n";
            if (event.kind == patchkit::RunEvent::ShortcutLink) {
                predicted.shortcuts += shortcutLine(event.text, event.target, event.arguments, event.workingDirectory, event.showCommand, event.made);
            }
        }
        patchkit::DryRunReport report = patchkit::reportOf(seen);
        succeeds = report.succeeds;
        // What the report says happened to each entry, and what the rollback did.
        patchkit::Json json = patchkit::dryRunJson({}, report);
        steps.clear();
        for (const patchkit::Json& entry : json["entries"]) steps += entry["outcome"].get<std::string>() + " ";
        for (const patchkit::Json& step : json["rollback"]) steps += "/" + step["action"].get<std::string>() + " ";
        return predicted;
    }

    LeftBehind realRun(bool removal) {
        patchkit::DryRunFolders where = folders(removal);
        fakes::ScriptedUpdaterUi dialogs;
        fakes::RecordingMessageBoxes boxes;
        patchkit::InstallationRegistry registry(where.install);
        patchkit::PackageProcess process(where.package + "Update.exe", removal);
        platform::ScopedService<platform::Registry> registryInPlace(registry);
        platform::ScopedService<platform::Process> processInPlace(process);
        {
            testing_support::FreshRunState runState;
            app::runUpdater();
        }
        LeftBehind left{onDisk(where.install), tree.read(work + "/Uninstallinf.dat"), "", ""};
        for (const fakes::RecordingMessageBoxes::Box& box : boxes.boxes) left.messages += box.caption + "|" + box.text + "\n";
        for (const fakes::RecordingShell::Link& link : shell.links) {
            bool made = platform::files().getFileAttributes(link.linkPath.c_str()) != platform::kInvalidFileAttributes;
            left.shortcuts += shortcutLine(link.linkPath, link.targetPath, link.arguments, link.workingDirectory, link.showCommand, made);
        }
        shell.links.clear();
        return left;
    }

    HostTree tree;
    fakes::RecordingShell shell;
    std::string work;  // the installation's folder
    bool succeeds = false;
    std::string steps;
};

TEST_F(DryRunTest, PredictsWhatTheUpdaterLeavesForEveryKindOfPackage) {
    struct Case {
        const char* package;
        std::function<void()> arrange;
        bool removal;
        bool succeeds;
        std::string steps;
        std::string audit;  // after a successful run: only the backups it leaves disagree
        std::string auditCount;
    };
    const Case cases[] = {
        {"new and replaced files, a read-only one, new folders, an old read-only backup replaced",
         [&] {
             tree.write("new/Sample.exe", "program 2.0");
             tree.write("new/locked.txt", "locked 2.0 is longer");
             tree.write(u8"new/新しい/深い/add.txt", "added");
             tree.write(u8"new/表/追加.txt", "more");
             prepare();
             tree.write("work/Sample.exe.bak", "program 0.9");
             std::filesystem::permissions(tree.at(work + "/Sample.exe.bak"), std::filesystem::perms::owner_write, std::filesystem::perm_options::remove);
         },
         false, true, "replaced replaced folderMade folderMade added folderPresent added ", "backup left: Sample.exe.bak beside Sample.exe\nbackup left: locked.txt.bak beside locked.txt\n",
         ": 2 disagreements"},
        {"removal of installed files",
         [&] {
             tree.remove("new");
             tree.write("new/Sample.exe", tree.read("old/Sample.exe"));
             tree.write(u8"new/表/ソ.txt", tree.read(u8"old/表/ソ.txt"));
             prepare(false);
         },
         true, true, "deleted folderSkipped deleted ", "", ": agrees with its record"},
        {"a payload file missing after others went in",
         [&] {
             tree.write("new/Sample.exe", "program 2.0");
             tree.write(u8"new/表/追加.txt", "more");
             prepare();
             tree.remove(u8"pkg/data/表/追加.txt");
         },
         false, false, "replaced folderPresent failed /writtenFileDeleted /writtenFileDeleted /backupRestored ", "", ""},
        {"a path too long for the installation, though not for the package",
         [&] {
             work += std::string(130, 'w');
             tree.write("new/Sample.exe", "program 2.0");
             tree.write("new/" + std::string(60, 'n') + "/" + std::string(39, 'f'), "far");
             prepare();
         },
         false, false, "notReached notReached notReached ", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.package);
        c.arrange();
        std::string before = onDisk(tree.path(work));
        LeftBehind predicted = dryRun(c.removal);
        EXPECT_EQ(onDisk(tree.path(work)), before) << "the dry run changed the disk";
        EXPECT_EQ(succeeds, c.succeeds);
        EXPECT_EQ(steps, c.steps);
        LeftBehind left = realRun(c.removal);
        EXPECT_EQ(predicted.tree, left.tree);
        EXPECT_TRUE(predicted.record == left.record) << "the records differ";
        EXPECT_EQ(predicted.messages, left.messages);
        EXPECT_EQ(predicted.shortcuts, left.shortcuts);
        if (c.succeeds) {
            EXPECT_EQ(patchkit({"audit", tree.path(work)}).out, c.audit + tree.path(work) + c.auditCount + "\n");
        }

        // Windows removes no read-only file.
        for (const auto& item : std::filesystem::recursive_directory_iterator(tree.at(work))) {
            std::filesystem::permissions(item.path(), std::filesystem::perms::owner_write, std::filesystem::perm_options::add);
        }
        for (const std::string& folder : {work, std::string("pkg"), std::string("new")}) tree.remove(folder);
        SetUp();
    }
}

// The command line: the verdict in the exit status and the text, a usage error as 2, and --json
// saying what the text says.
TEST_F(DryRunTest, CommandLineTellsTheVerdictByItsStatus) {
    tree.write("new/Sample.exe", "program 2.0");
    tree.write(u8"new/表/追加.txt", "more");
    prepare();
    const std::string package = tree.path("pkg"), install = tree.path(work);
    struct Case {
        std::vector<std::string> arguments;
        bool payloadGone;
        int status;
        std::vector<std::string> said;  // on the output; for a usage error, on the error stream
    };
    const Case cases[] = {
        {{package, install}, false, 0, {"\nthe update would succeed\n"}},
        {{package, install}, true, 1, {u8"\n  表\\追加.txt: fails: \"", "\nthe update would fail\n"}},
        {{package}, true, 2, {"INSTALL_DIR is required"}},
        {{package, install, "--verbose"}, true, 2, {"The following argument was not expected: --verbose"}},
        {{package, tree.path("nowhere")}, true, 2, {"INSTALL_DIR is not a folder"}},
    };
    for (const Case& c : cases) {
        if (c.payloadGone) tree.remove(u8"pkg/data/表/追加.txt");
        std::vector<std::string> arguments{"dry-run"};
        arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
        patchkit_testing::Outcome run = patchkit(arguments);
        const std::string& said = c.status == 2 ? run.err : run.out;
        EXPECT_EQ(run.status, c.status) << said;
        for (const std::string& line : c.said) EXPECT_NE(said.find(line), std::string::npos) << line << " not in\n" << said;
    }
    patchkit_testing::Outcome json = patchkit({"dry-run", "--json", package, install});
    EXPECT_EQ(json.status, 1);
    patchkit::Json report = patchkit_testing::jsonOf(json.out);
    EXPECT_EQ(report["succeeds"], false);
    const patchkit::Json& failed = report["entries"].back();
    EXPECT_EQ(failed["outcome"], "failed");
    EXPECT_EQ(failed["name"], u8"表\\追加.txt");
    std::string line = "\n  " + failed["name"].get<std::string>() + ": fails: \"" + failed["message"].get<std::string>() + "\"\n";
    EXPECT_NE(patchkit({"dry-run", package, install}).out.find(line), std::string::npos) << line;
}

}  // namespace
