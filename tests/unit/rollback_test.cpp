// Undoing a failed or cancelled run, and the fault matrix: every platform call of a
// representative update failed in turn, one per run.
#include <gtest/gtest.h>

#include <iostream>

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
    }
};

TEST(FaultMatrix, EachCallOfTheRunFailedInTurnLeavesTheNewStateOrTheOld) {
    std::vector<std::string> calls;
    {
        RepresentativeUpdate clean;
        fakes::RecordingFiles files;
        ASSERT_TRUE(clean.apply());
        for (const auto& call : files.calls) {
            if (call.name != "closeHandle") calls.push_back(call.name);
        }
    }
    std::map<std::string, int> seen;
    int rolledBack = 0;
    for (const std::string& name : calls) {
        int nth = ++seen[name];
        SCOPED_TRACE(name + " #" + std::to_string(nth));
        RepresentativeUpdate run;
        bool applied;
        {
            fakes::RecordingFiles files;
            files.failCall(name, nth);
            applied = run.apply();
        }
        if (!applied) engine::rollbackChanges(), ++rolledBack;
        EXPECT_TRUE(run.installedFiles() == (applied ? RepresentativeUpdate::after() : RepresentativeUpdate::before()));

        // The record, saved as a run saves it, loads back whole.
        std::string path = run.install + "Uninstallinf.dat";
        manifest::saveUninstallManifest(path, engine::runState().uninstallManifest);
        manifest::UninstallManifest saved;
        ASSERT_EQ(manifest::loadUninstallManifest(path, 0, saved), manifest::LoadResult::Loaded);
        if (applied) {
            EXPECT_EQ(saved.header.totalBytes, 4u + 3 + 6 + 250000 + 5);
        }
    }
    std::cout << "fault matrix: " << calls.size() << " calls failed in turn, " << rolledBack << " runs rolled back\n";
}

}  // namespace
