#include <gtest/gtest.h>

#include <string>

#include "manifest/manifests.h"
#include "tests/tools/patchkit_runner.h"
#include "tools/patchkit/host_paths.h"

namespace {

using patchkit_testing::HostTree;
using patchkit_testing::patchkit;
using patchkit_testing::Outcome;

class InstallRecordTest : public testing::Test {
protected:
    void SetUp() override {
        tree.write("desc.json", patchkit_testing::kSampleDescription);
        patchkit_testing::writeSampleTree(tree, "installed");
    }
    Outcome initInstall() { return patchkit({"init-install", tree.path("desc.json"), tree.path("installed")}); }
    std::string recordPath() {
        std::string narrow, why;
        EXPECT_TRUE(patchkit::filePathOf(tree.path("installed/Uninstallinf.dat"), narrow, why));
        return narrow;
    }

    HostTree tree;
};

TEST_F(InstallRecordTest, RecordLoadsThroughTheUpdatersLoaderWithRoomForTheUpdate) {
    Outcome run = initInstall();
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "wrote " + tree.path("installed/Uninstallinf.dat") + ": 6 entries\n");

    manifest::UninstallManifest record;
    ASSERT_EQ(manifest::loadUninstallManifest(recordPath(), 3, record), manifest::LoadResult::Loaded);
    EXPECT_EQ(record.capacity(), 9u);
    EXPECT_EQ(record.header.entryCount, 6u);
    EXPECT_EQ(record.header.fileCount, 3u);
    EXPECT_EQ(record.header.totalBytes, 11u + 6u + 4u);
    EXPECT_STREQ(record.header.templateArgument, "サンプル製品");
    EXPECT_STREQ(record.header.shortcutFolderTemplate, "%s\\");
    EXPECT_STREQ(record.header.carriedStrings[0], "1.0");
    EXPECT_STREQ(record.header.shortcuts[0].target, "Sample.exe");
    EXPECT_EQ(record.header.shortcuts[1].nameTemplate[0], '\0');
    EXPECT_EQ(record.findEntry("表\\ソ.txt"), 3u);
    EXPECT_EQ(record.entries()[3].size, 6u);
    EXPECT_EQ(record.findEntry("EMPTY\\"), 1u);

    // The updater's own list operations then work on it as on any installation's record.
    manifest::ManifestEntry added{};
    std::strcpy(added.name, "new.txt");
    added.size = 5;
    record.appendEntry(added);
    EXPECT_EQ(record.header.fileCount, 4u);
    EXPECT_EQ(record.header.totalBytes, 26u);
}

TEST_F(InstallRecordTest, RecordWrittenAgainDoesNotListItself) {
    ASSERT_EQ(initInstall().status, 0);
    std::string first = tree.read("installed/Uninstallinf.dat");
    ASSERT_EQ(initInstall().status, 0);
    EXPECT_EQ(tree.read("installed/Uninstallinf.dat"), first);
}

TEST_F(InstallRecordTest, DumpShowsTheRecordWithoutProblems) {
    ASSERT_EQ(initInstall().status, 0);
    Outcome dump = patchkit({"dump", "--json", tree.path("installed/Uninstallinf.dat")});
    ASSERT_EQ(dump.status, 0) << dump.out;
    patchkit::Json dumped = patchkit_testing::jsonOf(dump.out);
    EXPECT_EQ(dumped["kind"], "install");
    EXPECT_EQ(dumped["install"]["templateArgument"], u8"サンプル製品");
    EXPECT_EQ(dumped["install"]["fileCount"], 3);
    EXPECT_EQ(dumped["install"]["totalBytes"], 21);
    EXPECT_EQ(dumped["install"]["carriedStrings"], (patchkit::Json{"1.0", "", ""}));
    EXPECT_EQ(dumped["entries"][2]["name"], u8"表\\");
    EXPECT_EQ(dumped["problems"], patchkit::Json::array());
}

TEST_F(InstallRecordTest, DescriptionWithoutInstallSectionIsRefused) {
    tree.write("update-only.json", R"({"update": {"registryKey": "K", "registryValue": "V"}})");
    Outcome run = patchkit({"init-install", tree.path("update-only.json"), tree.path("installed")});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "error: " + tree.path("update-only.json") + ": install: is required to write an installation's record\n");
    EXPECT_FALSE(tree.exists("installed/Uninstallinf.dat"));
}

}  // namespace
