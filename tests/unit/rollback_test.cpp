// Undoing a failed or cancelled run, and the fault matrix: every platform call of a
// representative update failed in turn, one per run.
#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>
#include <map>
#include <utility>
#include <vector>

#include "engine/rollback.h"
#include "manifest/manifests.h"
#include "platform/files.h"
#include "tests/fakes/recording_files.h"
#include "tests/unit/engine_run.h"

namespace {

using testing_support::EngineRun;
using testing_support::entry;
using Files = std::map<std::string, std::string>;

TEST(Rollback, ACancelInTheMiddleOfAReplaceBringsTheOldFileBackWritable) {
    EngineRun run({entry("big.bin", 250000)}, {});
    run.folder.writeBytes("install\\big.bin", "old");
    run.folder.makeReadOnly("install\\big.bin");
    run.payloadOfSize("big.bin", 250000);
    run.ui.cancelAtPump = 1;
    ASSERT_FALSE(run.apply());
    engine::rollbackChanges();
    EXPECT_EQ(run.installedFiles(), (Files{{"big.bin", "old"}}));
    EXPECT_EQ(platform::files().getFileAttributes((run.install + "big.bin").c_str()) & platform::kFileAttributeReadOnly, 0u);
}

TEST(Rollback, AnEmptyTargetLeftByAMissingSourceIsDeleted) {
    EngineRun run({entry("new.txt", 1)}, {});
    ASSERT_FALSE(run.apply());
    ASSERT_TRUE(run.folder.exists("install\\new.txt"));
    engine::rollbackChanges();
    EXPECT_TRUE(run.installedFiles().empty());
}

TEST(Rollback, FoldersAreTriedOnceEachInTheOrderRecorded) {
    struct Case { const char* first; const char* second; bool outerStays; };
    for (Case c : {Case{"outer\\", "outer\\inner\\", true}, Case{"outer\\inner\\", "outer\\", false}}) {
        EngineRun run({entry(c.first), entry(c.second), entry("missing.txt")}, {});
        ASSERT_FALSE(run.apply());
        engine::rollbackChanges();
        EXPECT_FALSE(run.folder.exists("install\\outer\\inner"));
        EXPECT_EQ(run.folder.exists("install\\outer"), c.outerStays);
    }
}

// A new file in a new folder chain, a replaced file, a replaced read-only file and a file of
// several chunks, beside an installed file that the update leaves alone.
struct RepresentativeUpdate : EngineRun {
    static std::string big() {
        std::string bytes(250000, '\0');
        for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7 + i / 1000);
        return bytes;
    }
    static Files before() { return {{"keep.txt", "keep"}, {"replace.txt", "old"}, {"readonly.txt", "old-ro"}, {"big.bin", "old big"}}; }
    static Files after() {
        return {{"keep.txt", "keep"},         {"replace.txt", "new"},       {"replace.txt.bak", "old"},
                {"readonly.txt", "new-ro"},   {"readonly.txt.bak", "old-ro"}, {"big.bin", big()},
                {"big.bin.bak", "old big"}, {"sub/deeper/new.txt", "fresh"}};
    }

    RepresentativeUpdate()
        : EngineRun({entry("sub\\deeper\\"), entry("sub\\deeper\\new.txt", 5), entry("replace.txt", 3),
                     entry("readonly.txt", 6), entry("big.bin", 250000)},
                    {entry("keep.txt", 4), entry("replace.txt", 3), entry("readonly.txt", 6), entry("big.bin", 7)}) {
        for (const auto& [name, bytes] : before()) folder.writeBytes("install\\" + name, bytes);
        folder.makeReadOnly("install\\readonly.txt");
        folder.makeFolder("data\\sub\\deeper");
        folder.writeBytes("data\\sub\\deeper\\new.txt", "fresh");
        folder.writeBytes("data\\replace.txt", "new");
        folder.writeBytes("data\\readonly.txt", "new-ro");
        folder.writeBytes("data\\big.bin", big());
        manifest::saveUninstallManifest(recordPath(), engine::runState().uninstallManifest);
        oldRecord = folder.readBytes("install\\Uninstallinf.dat");
    }

    std::string recordPath() const { return install + "Uninstallinf.dat"; }
    // The run as the updater makes it: apply, roll back a failure, save the record.
    bool runWhole() {
        bool applied = apply();
        if (!applied) engine::rollbackChanges();
        manifest::saveUninstallManifest(recordPath(), engine::runState().uninstallManifest);
        return applied;
    }
    Files files() const {
        Files installed = installedFiles();
        installed.erase("Uninstallinf.dat");
        return installed;
    }
    std::string oldRecord;
};

using Calls = std::vector<std::pair<std::string, std::string>>;

Calls callsOf(const fakes::RecordingFiles& files) {
    Calls calls;
    for (const auto& call : files.calls) {
        if (call.name != "closeHandle") calls.emplace_back(call.name, call.path);
    }
    return calls;
}

// Fails each call of `calls` in turn, one per fresh run, and hands the run and the failed call
// to `check`.
template <typename Run, typename Check>
void failEachInTurn(const Calls& calls, Run runWithFailure, Check check) {
    std::map<std::string, int> seen;
    for (const auto& [name, path] : calls) {
        int nth = ++seen[name];
        SCOPED_TRACE(name + " #" + std::to_string(nth) + " " + path);
        RepresentativeUpdate run;
        runWithFailure(run, name, nth);
        check(run, name, path);
    }
}

TEST(FaultMatrix, EachCallOfTheRunFailedInTurnLeavesTheNewStateOrTheOld) {
    Calls calls;
    {
        RepresentativeUpdate clean;
        fakes::RecordingFiles files;
        ASSERT_TRUE(clean.runWhole());
        calls = callsOf(files);
    }
    int rolledBack = 0;
    bool applied = false;
    failEachInTurn(
        calls,
        [&](RepresentativeUpdate& run, const std::string& name, int nth) {
            fakes::RecordingFiles files;
            files.failCall(name, nth);
            applied = run.runWhole();
            rolledBack += !applied;
        },
        [&](RepresentativeUpdate& run, const std::string&, const std::string&) {
            EXPECT_TRUE(run.files() == (applied ? RepresentativeUpdate::after() : RepresentativeUpdate::before()));
            // Whole on disk: the old record where its save failed, else the record as the
            // run left it in memory.
            manifest::UninstallManifest saved;
            ASSERT_EQ(manifest::loadUninstallManifest(run.recordPath(), 0, saved), manifest::LoadResult::Loaded);
            std::string onDisk = run.folder.readBytes("install\\Uninstallinf.dat");
            manifest::saveUninstallManifest(run.recordPath(), engine::runState().uninstallManifest);
            EXPECT_TRUE(onDisk == run.oldRecord || onDisk == run.folder.readBytes("install\\Uninstallinf.dat"));
            if (applied) EXPECT_EQ(engine::runState().uninstallManifest.header.totalBytes, 4u + 3 + 6 + 250000 + 5);
        });
    std::cout << "fault matrix: " << calls.size() << " calls of a whole run failed in turn, " << rolledBack << " runs rolled back\n";
}

// Rollback passes over what fails. A written file that cannot be deleted is still replaced by
// its backup; a backup that cannot be moved back stays under its .bak name, and its file is
// then missing; a file without a backup stays, and so does its folder.
TEST(FaultMatrix, EachCallOfARollbackFailedInTurnLosesNoOldContent) {
    auto cancelled = [](RepresentativeUpdate& run) {
        run.ui.cancelAtPump = 1;  // during big.bin, the last entry
        ASSERT_FALSE(run.apply());
    };
    Calls calls;
    {
        RepresentativeUpdate clean;
        cancelled(clean);
        fakes::RecordingFiles files;
        engine::rollbackChanges();
        calls = callsOf(files);
        ASSERT_TRUE(clean.files() == RepresentativeUpdate::before());
    }
    failEachInTurn(
        calls,
        [&](RepresentativeUpdate& run, const std::string& name, int nth) {
            cancelled(run);
            fakes::RecordingFiles files;
            files.failCall(name, nth);
            engine::rollbackChanges();
        },
        [&](RepresentativeUpdate& run, const std::string& name, const std::string& path) {
            // The call's path as the installation names it; the first run had a folder of its own.
            std::string file = path.substr(path.find("install\\") + 8);
            file = file.substr(0, file.find(".bak ->"));
            std::replace(file.begin(), file.end(), '\\', '/');
            Files expected = RepresentativeUpdate::before();
            if (name == "deleteFile" && file == "sub/deeper/new.txt") expected[file] = "fresh";
            if (name == "moveFileReplace") {
                expected[file + ".bak"] = expected[file];
                expected.erase(file);
            }
            EXPECT_TRUE(run.files() == expected);
        });
    std::cout << "fault matrix: " << calls.size() << " calls of a rollback failed in turn\n";
}

}  // namespace
