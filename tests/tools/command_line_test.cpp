#include <gtest/gtest.h>

#include <string>

#include "tests/tools/patchkit_runner.h"

namespace {

using patchkit_testing::HostTree;
using patchkit_testing::patchkit;
using patchkit_testing::Outcome;

TEST(CommandLineTest, EveryCommandHasHelpThatExitsWithZero) {
    const std::pair<const char*, const char*> commands[] = {
        {"make", "Usage: patchkit make [OPTIONS] DESCRIPTION NEW_TREE OUT_DIR"},
        {"dump", "Usage: patchkit dump [OPTIONS] FILE"},
        {"check", "Usage: patchkit check [OPTIONS] PACKAGE_DIR"},
        {"init-install", "Usage: patchkit init-install [OPTIONS] DESCRIPTION INSTALL_TREE"},
    };
    for (const auto& [command, usage] : commands) {
        Outcome run = patchkit({command, "--help"});
        EXPECT_EQ(run.status, 0) << command;
        EXPECT_NE(run.out.find(usage), std::string::npos) << run.out;
        EXPECT_NE(run.out.find("Exit status: 0 all is well, 1 problems were found, 2 usage error."), std::string::npos);
    }
    Outcome top = patchkit({"--help"});
    EXPECT_EQ(top.status, 0);
    for (const auto& [command, usage] : commands) EXPECT_NE(top.out.find(command), std::string::npos);
}

TEST(CommandLineTest, UsageErrorsExitWithTwo) {
    HostTree tree;
    tree.write("desc.json", patchkit_testing::kSampleDescription);
    EXPECT_EQ(patchkit({}).status, 2);
    EXPECT_EQ(patchkit({"pack"}).status, 2);
    EXPECT_EQ(patchkit({"make", tree.path("desc.json")}).status, 2);
    EXPECT_EQ(patchkit({"dump", "--kind", "both", tree.path("desc.json")}).status, 2);
    EXPECT_EQ(patchkit({"check", tree.path(), "--verbose"}).status, 2);

    Outcome missingTree = patchkit({"make", tree.path("desc.json"), tree.path("no-such-tree"), tree.path("out")});
    EXPECT_EQ(missingTree.status, 2);
    EXPECT_EQ(missingTree.err, "patchkit: " + tree.path("no-such-tree") + ": NEW_TREE is not a folder\n");
    EXPECT_EQ(patchkit({"check", tree.path("desc.json")}).status, 2);
    EXPECT_EQ(patchkit({"dump", tree.path()}).status, 2);
    EXPECT_EQ(patchkit({"init-install", tree.path("none.json"), tree.path()}).status, 2);
}

TEST(CommandLineTest, ProblemsInTheInputExitWithOneAndNameFileAndField) {
    HostTree tree;
    tree.write("desc.json", u8R"({"update": {"registryKey": "K", "registryValue": "V", "title": "Ünïcode"}})");
    tree.write("new/a.txt", "a");
    Outcome run = patchkit({"make", tree.path("desc.json"), tree.path("new"), tree.path("out")});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "error: " + tree.path("desc.json") + u8": update.title: \u201C\u00DC\u201D (U+00DC) at character 1 has no code page 932 form\n");
    EXPECT_FALSE(tree.exists("out"));
}

TEST(CommandLineTest, NonAsciiPathsReachTheFiles) {
    HostTree tree;
    tree.write(u8"説明/desc.json", patchkit_testing::kSampleDescription);
    patchkit_testing::writeSampleTree(tree, u8"新しい版");
    Outcome make = patchkit({"make", tree.path(u8"説明/desc.json"), tree.path(u8"新しい版"), tree.path(u8"パッケージ")});
    ASSERT_EQ(make.status, 0) << make.err;
    EXPECT_EQ(patchkit({"check", tree.path(u8"パッケージ")}).status, 0);
}

}  // namespace
