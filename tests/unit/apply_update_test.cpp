// Applying and removing files: the progress dialog as the engine drives it, the record kept in
// step, and each way an entry fails.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "engine/path_limit.h"
#include "engine/rollback.h"
#include "tests/fakes/recording_files.h"
#include "tests/unit/engine_run.h"

namespace {

using testing_support::EngineRun;
using testing_support::entry;
using Positions = std::vector<uint32_t>;
using Entries = std::vector<std::tuple<std::string, uint64_t, uint32_t>>;

TEST(ApplyUpdate, ProgressIsSentTwiceAChunkAndAMessageIsPumpedOnlyAfterAFullOne) {
    struct Case { uint64_t size; int cancelAtPump; Positions head, tail; size_t count; int pumps; };
    const Case cases[] = {
        {250000, 0, {1, 0, 41, 40, 81, 80, 100, 99, 100}, {}, 9, 2},
        {200000, 0, {1, 0, 51, 50, 101, 100, 100, 99, 100}, {}, 9, 2},
        {100000, 0, {1, 0, 101, 100, 100, 99, 100}, {}, 7, 1},
        {99999, 0, {1, 0, 100, 99, 100}, {}, 5, 0},
        {0, 0, {1, 0, 100, 99, 100}, {}, 5, 0},
        {10000000, 0, {1, 0, 2, 1, 3, 2}, {101, 100, 100, 99, 100}, 205, 100},
        {10000001, 0, {1, 0, 2, 1, 3, 2}, {101, 100, 100, 99, 100}, 205, 100},
        // Past 4 GiB; the size's low word alone (2000000) would give 6, 5 after the first chunk.
        {(1ull << 32) + 2000000, 2, {1, 0, 1, 0}, {}, 4, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.size);
        EngineRun run({entry("f.bin", c.size)}, {});
        run.payloadOfSize("f.bin", c.size);
        run.ui.cancelAtPump = c.cancelAtPump;
        EXPECT_EQ(run.apply(), c.cancelAtPump == 0);
        const Positions& seen = run.ui.positions;
        ASSERT_EQ(seen.size(), c.count);
        EXPECT_EQ(Positions(seen.begin(), seen.begin() + c.head.size()), c.head);
        EXPECT_EQ(Positions(seen.end() - c.tail.size(), seen.end()), c.tail);
        EXPECT_EQ(run.ui.pumps, c.pumps);
        EXPECT_TRUE(run.boxes.boxes.empty());
    }
}

TEST(ApplyUpdate, ACancelTakesEffectOnlyRightAfterTheNextPump) {
    EngineRun run({entry("small.bin", 99999), entry("big.bin", 250000)}, {});
    run.payloadOfSize("small.bin", 99999);
    run.payloadOfSize("big.bin", 250000);
    engine::runState().cancelRequested = 1;  // clicked before any chunk was full
    fakes::RecordingFiles files;
    EXPECT_FALSE(run.apply());
    // Closed source first, on this way out as on every other.
    std::vector<std::string> closed;
    for (const auto& call : files.calls) {
        if (call.name == "closeHandle") closed.push_back(call.path);
    }
    EXPECT_EQ(closed, (std::vector<std::string>{run.data + "small.bin", run.install + "small.bin", run.data + "big.bin",
                                                run.install + "big.bin"}));
    EXPECT_EQ(run.folder.readBytes("install\\small.bin").size(), 99999u);
    EXPECT_EQ(run.folder.readBytes("install\\big.bin").size(), 100000u);
    EXPECT_EQ(run.ui.pumps, 1);
    EXPECT_TRUE(run.boxes.boxes.empty());
}

TEST(ApplyUpdate, TheRecordGainsWhatIsNewAndItsFirstMatchTakesTheNewSize) {
    EngineRun run({entry("dir\\", 9), entry("FOO.TXT", 5, 7), entry("new.txt", 3, 8), entry("NewDir\\", 9)},
                  {entry("Dir\\"), entry("Foo.txt", 10, 1), entry("foo.txt", 20, 2)});
    run.folder.writeBytes("data\\FOO.TXT", "12345");
    run.folder.writeBytes("data\\new.txt", "abc");
    ASSERT_TRUE(run.apply());
    EXPECT_EQ(run.recordEntries(),
              (Entries{{"Dir\\", 0, 0}, {"Foo.txt", 5, 7}, {"foo.txt", 20, 2}, {"new.txt", 3, 8}, {"NewDir\\", 9, 0}}));
    const manifest::UninstallHeader& header = engine::runState().uninstallManifest.header;
    EXPECT_EQ(header.fileCount, 3u);
    EXPECT_EQ(header.totalBytes, 30u - 10 + 5 + 3);
    EXPECT_EQ(run.ui.statusTexts, (std::vector<std::string>{"FOO.TXTをコピー中...", "new.txtをコピー中..."}));
}

TEST(ApplyUpdate, ARemovalDeletesTheFilesAndTakesTheirFirstMatchOutWithTheUpdatesSize) {
    EngineRun run({entry("A.txt", 100), entry("dir\\"), entry("unlisted.txt", 1)},
                  {entry("a.txt", 10), entry("A.TXT", 20), entry("dir\\"), entry("b.txt", 5)}, true);
    run.folder.writeBytes("install\\A.txt", "x");
    run.folder.writeBytes("install\\unlisted.txt", "x");
    ASSERT_TRUE(run.apply());
    EXPECT_TRUE(run.installedFiles().empty());
    EXPECT_EQ(run.recordEntries(), (Entries{{"A.TXT", 20, 0}, {"dir\\", 0, 0}, {"b.txt", 5, 0}}));
    const manifest::UninstallHeader& header = engine::runState().uninstallManifest.header;
    EXPECT_EQ(header.fileCount, 2u);
    EXPECT_EQ(header.totalBytes, uint64_t{35} - 100);
    EXPECT_EQ(run.ui.statusTexts, (std::vector<std::string>{"A.txtを削除中...", "unlisted.txtを削除中..."}));
}

TEST(ApplyUpdate, AFailedEntryEndsTheRunWithOneMessageNamingItInFull) {
    using Arrange = std::function<void(EngineRun&, fakes::RecordingFiles&)>;
    struct Case { std::string name; bool removal, namesSource; std::string text; Arrange arrange; };
    Arrange nothing = [](EngineRun&, fakes::RecordingFiles&) {};
    const Case cases[] = {
        // Over 260 bytes in all: the message is not cut.
        {"missing\\" + std::string(200, 'x'), false, false, "のオープンに失敗しました", nothing},
        {"new.txt", false, true, "のオープンに失敗しました", nothing},
        {"new.txt", false, false, "の書き込みに失敗しました", [](EngineRun& run, fakes::RecordingFiles& files) {
             run.folder.writeBytes("data\\new.txt", "abc");
             files.limitWrites(2);
         }},
        {"old.txt", false, false, "のバックアップに失敗しました", [](EngineRun& run, fakes::RecordingFiles& files) {
             run.folder.writeBytes("install\\old.txt", "old");
             files.failCall("moveFileReplace");
         }},
        {"gone.txt", true, false, "の削除に失敗しました", nothing},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EngineRun run({entry(c.name, 3)}, {}, c.removal);
        fakes::RecordingFiles files;
        c.arrange(run, files);
        EXPECT_FALSE(run.apply());
        ASSERT_EQ(run.boxes.boxes.size(), 1u);
        EXPECT_EQ(run.boxes.boxes[0].text, (c.namesSource ? run.data : run.install) + c.name + c.text);
        EXPECT_FALSE(run.boxes.boxes[0].hasCaption);
        EXPECT_EQ(run.boxes.boxes[0].type, 0u);
    }
}

// Most files of an update are new: the one look-up before the run that finds none there tells
// so, and the file is made with no move and no attributes to clear.
TEST(ApplyUpdate, ANewFileIsToldByTheOneLookUpBeforeTheRun) {
    EngineRun run({entry("new.txt", 3)}, {});
    run.folder.writeBytes("data\\new.txt", "new");
    fakes::RecordingFiles files;
    ASSERT_TRUE(run.apply());
    EXPECT_EQ(files.count("moveFileReplace") + files.count("setFileAttributes"), 0);
    int lookUps = 0;
    for (const auto& call : files.calls) lookUps += call.name == "getFileAttributes" && call.path == run.install + "new.txt";
    EXPECT_EQ(lookUps, 1);
    EXPECT_EQ(run.folder.readBytes("install\\new.txt"), "new");
}

// Two entries for one file, or an entry at another's backup name: the content from before the
// update is never lost, whether the run completes or is rolled back. Whether two names are one
// file is the file system's question: here the host's, which keeps ア and ヂ apart.
TEST(ApplyUpdate, AFileListedTwiceOrAtABackupNameKeepsTheContentFromBeforeTheUpdate) {
    // The file the installation holds before the run ("" none), and where its content is after.
    struct Case { const char* first; const char* second; const char* installed; bool completes; const char* where; };
    for (Case c : {Case{"same.txt", "same.txt", "same.txt", true, "same.txt.bak"},
                   Case{"dir\\same.txt", "dir/same.txt", "dir\\same.txt", true, "dir\\same.txt.bak"},
                   Case{"dir\\same.txt", "dir\\\\same.txt", "dir\\same.txt", true, "dir\\same.txt.bak"},
                   Case{"ア.txt", "ヂ.txt", "ヂ.txt", true, "ヂ.txt.bak"},
                   Case{"same.txt.bak", "same.txt", "same.txt", false, "same.txt"},
                   Case{"same.txt", "same.txt.bak", "same.txt", false, "same.txt"},
                   Case{"same.txt.bak", "same.txt", "", true, ""}}) {
        SCOPED_TRACE(std::string(c.first) + " then " + c.second);
        EngineRun run({entry(c.first, 3), entry(c.second, 3)}, {});
        run.folder.makeFolder("install\\dir");
        run.folder.makeFolder("data\\dir");
        if (*c.installed) run.folder.writeBytes(std::string("install\\") + c.installed, "before");
        run.folder.writeBytes(std::string("data\\") + c.first, "new");
        run.folder.writeBytes(std::string("data\\") + c.second, "new");
        EXPECT_EQ(run.apply(), c.completes);
        if (!c.completes) {
            ASSERT_EQ(run.boxes.boxes.size(), 1u);
            EXPECT_EQ(run.boxes.boxes[0].text, run.install + c.second + "のバックアップに失敗しました");
            engine::rollbackChanges();
        }
        if (*c.where) EXPECT_EQ(run.folder.readBytes(std::string("install\\") + c.where), "before");
        if (c.completes) EXPECT_TRUE(run.boxes.boxes.empty());
    }
}

TEST(ApplyUpdate, APathTooLongForTheSystemEndsTheRunBeforeAnythingChanges) {
    // A backup's path counts where there is a file to back up; a folder takes 248 bytes at most.
    struct Case { bool removal; const char* dataFolder; bool installed, folder, refused; };
    for (Case c : {Case{false, "data\\", true, false, true}, Case{false, "a-longer-data-folder\\", false, false, true},
                   Case{true, "data\\", false, false, false}, Case{false, "data\\", false, true, true}}) {
        EngineRun run({entry("first.txt", 1), entry("later", 1)}, {}, c.removal);
        run.install = run.folder / "fresh\\";
        run.data = run.folder / c.dataFolder;
        // 260 bytes joined: the backup's name, or the payload's path where its folder is longer.
        std::string name = c.folder ? std::string(platform::kLongestFolderPath + 1 - run.install.size(), 'n') + "\\"
                                    : std::string(engine::kPathBufferSize - std::max(run.install.size() + 4, run.data.size()), 'n');
        testing_support::setText(engine::runState().updateManifest.entries[1].name, name);
        if (c.installed) run.folder.makeFolder("fresh");
        if (c.installed) run.folder.writeBytes("fresh\\" + name, "old");
        EXPECT_FALSE(run.apply());
        ASSERT_EQ(run.boxes.boxes.size(), 1u);
        // A removal makes neither path, and goes on to its first entry.
        EXPECT_EQ(run.boxes.boxes[0].text, c.refused ? name + "のパスが長すぎます" : run.install + "first.txtの削除に失敗しました");
        EXPECT_EQ(run.folder.exists("fresh"), !c.refused || c.installed);
    }
}

TEST(ApplyUpdate, FoldersAreMadeAtSeparatorsNeverAtATrailByte) {
    EngineRun run({entry("表\\ソフト\\")}, {});
    fakes::RecordingFiles files;
    ASSERT_TRUE(run.apply());
    EXPECT_TRUE(run.folder.exists("install\\表\\ソフト"));
    std::string path = run.install + "表\\ソフト\\";
    // 表 and ソ each end in a 0x5C byte of their own.
    EXPECT_EQ(files.count("createDirectory"), std::count(path.begin(), path.end(), '\\') - 2);
    EXPECT_EQ(engine::runState().changeJournal.createdDirectories, std::vector<std::string>{path});
}

}  // namespace
