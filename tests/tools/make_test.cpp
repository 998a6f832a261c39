#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "manifest/manifests.h"
#include "tests/tools/patchkit_runner.h"
#include "tools/patchkit/host_paths.h"

namespace {

using patchkit::Json;
using patchkit_testing::HostTree;
using patchkit_testing::patchkit;
using patchkit_testing::Outcome;

std::string narrowPath(const std::string& utf8) {
    std::string narrow, why;
    EXPECT_TRUE(patchkit::filePathOf(utf8, narrow, why)) << why;
    return narrow;
}

class MakeTest : public testing::Test {
protected:
    void SetUp() override {
        tree.write("desc.json", patchkit_testing::kSampleDescription);
        patchkit_testing::writeSampleTree(tree, "new");
    }
    Outcome make(std::vector<std::string> extra = {}) {
        std::vector<std::string> args{"make", tree.path("desc.json"), tree.path("new"), tree.path("pkg")};
        args.insert(args.end(), extra.begin(), extra.end());
        return patchkit(args);
    }
    manifest::UpdateManifest load() {
        manifest::UpdateManifest loaded;
        EXPECT_EQ(manifest::loadUpdateManifest(narrowPath(tree.path("pkg/Updateinf.dat")), loaded), manifest::LoadResult::Loaded);
        return loaded;
    }

    HostTree tree;
};

TEST_F(MakeTest, PackageLoadsThroughTheUpdatersOwnLoader) {
    Outcome run = make();
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(run.err.empty()) << run.err;
    manifest::UpdateManifest m = load();
    EXPECT_STREQ(m.header.title, "サンプル製品 アップデート");
    EXPECT_STREQ(m.header.registryKey, "Software\\Maker\\Sample");
    EXPECT_STREQ(m.header.registryValue, "InstallFolder");
    EXPECT_STREQ(m.header.carriedStrings[2], "メモ");
    EXPECT_STREQ(m.header.shortcuts[2].nameTemplate, "%s 設定");
    EXPECT_STREQ(m.header.shortcuts[2].target, "Sample.exe /settings");
    EXPECT_EQ(m.header.shortcuts[1].nameTemplate[0], '\0');

    ASSERT_EQ(m.header.entryCount, 6u);
    const char* expected[] = {"Sample.exe", "empty\\", "表\\", "表\\ソ.txt", "表\\深い\\", "表\\深い\\data.bin"};
    const uint64_t sizes[] = {11, 0, 0, 6, 0, 4};
    for (uint32_t i = 0; i < 6; ++i) {
        EXPECT_STREQ(m.entries[i].name, expected[i]) << i;
        EXPECT_EQ(m.entries[i].size, sizes[i]) << i;
        EXPECT_EQ(m.entries[i].extra, i == 3 ? 9u : 7u) << i;
        // Bytes after the terminator and the paddings are zero, so that the file says nothing more.
        const char* name = m.entries[i].name;
        for (size_t b = std::strlen(name); b < manifest::kNameWidth; ++b) ASSERT_EQ(name[b], '\0');
    }
    EXPECT_EQ(tree.read(u8"pkg/data/表/深い/data.bin"), std::string("\0\1\2\3", 4));
    EXPECT_EQ(tree.read(u8"pkg/data/表/ソ.txt"), "manual");
    EXPECT_TRUE(tree.exists("pkg/data/empty"));
}

TEST_F(MakeTest, DumpAsJsonGivesBackTheDescriptionAndTheTree) {
    ASSERT_EQ(make().status, 0);
    Outcome dump = patchkit({"dump", "--json", tree.path("pkg/Updateinf.dat")});
    ASSERT_EQ(dump.status, 0) << dump.err;
    Json dumped = patchkit_testing::jsonOf(dump.out);
    Json described = patchkit_testing::jsonOf(patchkit_testing::kSampleDescription)["update"];

    EXPECT_EQ(dumped["kind"], "update");
    for (const char* text : {"title", "updateName", "note", "productName", "registryKey", "registryValue"}) {
        EXPECT_EQ(dumped["update"][text], described[text]) << text;
    }
    EXPECT_EQ(dumped["update"]["carriedStrings"], (Json{"1.1", "", u8"メモ"}));
    Json slots = described["shortcuts"];
    while (slots.size() < 8) slots.push_back(nullptr);
    EXPECT_EQ(dumped["update"]["shortcuts"], slots);

    Json entries = Json::array();
    auto entry = [&](const std::string& name, bool directory, uint64_t size, uint32_t extra) {
        entries.push_back(Json{{"name", name}, {"directory", directory}, {"size", size}, {"extra", extra}});
    };
    entry("Sample.exe", false, 11, 7);
    entry("empty\\", true, 0, 7);
    entry(u8"表\\", true, 0, 7);
    entry(u8"表\\ソ.txt", false, 6, 9);
    entry(u8"表\\深い\\", true, 0, 7);
    entry(u8"表\\深い\\data.bin", false, 4, 7);
    EXPECT_EQ(dumped["entries"], entries);
    EXPECT_EQ(dumped["update"]["entryCount"], 6);
    EXPECT_EQ(dumped["problems"], Json::array());
}

TEST_F(MakeTest, MadePackagePassesCheck) {
    ASSERT_EQ(make().status, 0);
    Outcome check = patchkit({"check", tree.path("pkg"), "--install-path", u8"C:\\Program Files\\サンプル製品\\", "--update-path", "D:\\"});
    EXPECT_EQ(check.status, 0) << check.out;
    EXPECT_EQ(check.out, tree.path("pkg") + ": 0 errors, 0 warnings\n");
}

TEST_F(MakeTest, UpdaterIsCopiedBesideTheManifest) {
    tree.write("bin/Update.exe", "MZ stand-in");
    ASSERT_EQ(make({"--updater", tree.path("bin/Update.exe")}).status, 0);
    EXPECT_EQ(tree.read("pkg/Update.exe"), "MZ stand-in");
}

TEST_F(MakeTest, OutputInsideTheTreeOrOverAPackageIsRefused) {
    Outcome inside = patchkit({"make", tree.path("desc.json"), tree.path("new"), tree.path("new/pkg")});
    EXPECT_EQ(inside.status, 1);
    EXPECT_EQ(inside.err, "error: " + tree.path("new/pkg") + ": lies inside a tree that goes into the package\n");
    ASSERT_EQ(make().status, 0);
    Outcome again = make();
    EXPECT_EQ(again.status, 1);
    EXPECT_NE(again.err.find("exists already"), std::string::npos);
}

TEST_F(MakeTest, EntryExtraThatNamesNothingIsAnError) {
    tree.remove(u8"new/表/ソ.txt");
    Outcome run = make();
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "error: " + tree.path("desc.json") + u8": update.entryExtra[\"表/ソ.txt\"]: names nothing in " + tree.path("new") + "\n");
    EXPECT_FALSE(tree.exists("pkg/Updateinf.dat"));
}

TEST_F(MakeTest, TreeWithTheInstallationsRecordIsRefused) {
    tree.write("new/Uninstallinf.dat", "an installed product's folder, not a release tree");
    Outcome run = make();
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "error: " + tree.path("new/Uninstallinf.dat") + ": would overwrite the installation's own record\n");
}

TEST_F(MakeTest, TreeProblemsStopBeforeAnythingIsWritten) {
    tree.write(u8"new/naïve.txt", "x");
    Outcome run = make();
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find(u8"(U+00EF)"), std::string::npos) << run.err;
    EXPECT_FALSE(tree.exists("pkg"));
}

class MakeSinceTest : public MakeTest {
protected:
    void SetUp() override {
        MakeTest::SetUp();
        // The old version: Sample.exe of the same length but other bytes, the same manual,
        // data.bin absent, and the empty folder present.
        tree.write("old/Sample.exe", "program 1.0");
        tree.write(u8"old/表/ソ.txt", "manual");
        tree.folder("old/empty");
    }
    std::vector<std::string> entryNames() {
        manifest::UpdateManifest m = load();
        std::vector<std::string> names;
        for (uint32_t i = 0; i < m.header.entryCount; ++i) names.push_back(m.entries[i].name);
        return names;
    }
};

TEST_F(MakeSinceTest, OnlyNewAndChangedFilesGoInWithTheFoldersAboveThem) {
    Outcome run = make({"--since", tree.path("old")});
    ASSERT_EQ(run.status, 0) << run.err;
    // The manual is unchanged, but its folder stays: the new data.bin lies below it.
    EXPECT_EQ(entryNames(), (std::vector<std::string>{"Sample.exe", "表\\", "表\\深い\\", "表\\深い\\data.bin"}));
    EXPECT_FALSE(tree.exists(u8"pkg/data/表/ソ.txt"));
    EXPECT_EQ(tree.read("pkg/data/Sample.exe"), "program 1.1");
}

TEST_F(MakeSinceTest, NewEmptyFolderGoesInAndAnUnchangedTreeGivesAnEmptyPackage) {
    tree.remove("old/empty");
    ASSERT_EQ(make({"--since", tree.path("old")}).status, 0);
    EXPECT_EQ(entryNames().at(1), "empty\\");

    Outcome same = patchkit({"make", tree.path("desc.json"), tree.path("new"), tree.path("pkg2"), "--since", tree.path("new")});
    EXPECT_EQ(same.status, 0);
    EXPECT_NE(same.err.find("warning: " + tree.path("new") + ": holds nothing new or changed since"), std::string::npos) << same.err;
    manifest::UpdateManifest m;
    EXPECT_EQ(manifest::loadUpdateManifest(narrowPath(tree.path("pkg2/Updateinf.dat")), m), manifest::LoadResult::Loaded);
    EXPECT_EQ(m.header.entryCount, 0u);
}

TEST_F(MakeSinceTest, FilesTheNewTreeLacksAreToldAndTheirRemovalPackageDeletesExactlyThem) {
    // The old tree as an installed folder: its record, a file gone, names of new files as
    // Windows (ａ for Ａ) or the record (ア for ヂ) takes them, or both, and a folder gone with
    // a file and what an update left beside it.
    tree.write("old/Uninstallinf.dat", "the installation's record");
    tree.write("old/gone.dll", "1.0 only");
    tree.write(u8"old/表/深い/DATA.BIN", "kept under another case");
    tree.write(u8"old/ａ.txt", "1.0");
    tree.write(u8"new/Ａ.txt", "1.1");
    tree.write(u8"old/ア.txt", "1.0");
    tree.write(u8"new/ヂ.txt", "1.1");
    tree.write(u8"old/古い/old.txt", "old");
    tree.write(u8"old/古い/old.txt.bak", "older");
    const std::vector<std::string> removed{"gone.dll", u8"古い\\old.txt", u8"古い\\old.txt.bak"};

    Outcome told = make({"--since", tree.path("old")});
    EXPECT_EQ(told.status, 0);
    EXPECT_NE(told.err.find("warning: " + tree.path("old/gone.dll") + ": is gone from " + tree.path("new") + ", but an update cannot delete it"),
              std::string::npos) << told.err;
    EXPECT_NE(told.out.find("3 files of " + tree.path("old") + " not in " + tree.path("new") + " will stay in installations: --removal-package DIR"),
              std::string::npos) << told.out;

    auto makeWithRemoval = [&](const std::string& folder) {
        return patchkit({"make", tree.path("desc.json"), tree.path("new"), tree.path("pkg2"), "--since", tree.path("old"), "--removal-package",
                         tree.path(folder)});
    };
    Outcome over = makeWithRemoval("pkg2");
    EXPECT_EQ(over.status, 1);
    EXPECT_NE(over.err.find(": is where the update package goes"), std::string::npos) << over.err;
    Outcome run = makeWithRemoval("removal");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("wrote " + tree.path("removal") + "/Updateinf.dat: 3 files (16 bytes) for Update.exe -u to delete"), std::string::npos)
        << run.out;
    EXPECT_EQ(patchkit({"check", "--removal", tree.path("removal")}).out, tree.path("removal") + ": 0 errors, 0 warnings\n");
    Json dumped = patchkit_testing::jsonOf(patchkit({"dump", "--json", tree.path("removal/Updateinf.dat")}).out);
    EXPECT_EQ(dumped["update"]["registryKey"], "Software\\Maker\\Sample");
    EXPECT_EQ(dumped["update"]["carriedStrings"], (Json{"", "", ""}));
    EXPECT_EQ(dumped["update"]["shortcuts"], Json(std::vector<Json>(8, nullptr)));

    std::filesystem::copy(tree.at("old"), tree.at("installed"), std::filesystem::copy_options::recursive);
    ASSERT_EQ(patchkit({"init-install", tree.path("desc.json"), tree.path("installed")}).status, 0);
    Outcome removal = patchkit({"dry-run", "--removal", "--json", tree.path("removal"), tree.path("installed")});
    EXPECT_EQ(removal.status, 0) << removal.out;
    Json report = patchkit_testing::jsonOf(removal.out);
    std::vector<std::string> deleted;
    for (const Json& entry : report["entries"]) deleted.push_back(entry["name"].get<std::string>() + " " + entry["outcome"].get<std::string>());
    EXPECT_EQ(deleted, (std::vector<std::string>{removed[0] + " deleted", removed[1] + " deleted", removed[2] + " deleted"}));
}

}  // namespace
