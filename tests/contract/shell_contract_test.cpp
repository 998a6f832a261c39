// What the shortcuts rely on from the shell, pinned on both backends: under Wine a real .lnk
// written through IShellLinkA and read back through IPersistFile::Load.
#include <gtest/gtest.h>

#include <string>

#include "platform/files.h"
#include "platform/shell.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/shortcut_file.h"

namespace {

using namespace platform;

// 表 ends in the byte 0x5C: the link's name must reach the shell as one character.
const std::string kLinkFolder = "更新テスト表\\";

TEST(ShellContract, BothProgramsFoldersResolveToAbsolutePathsWithoutATrailingSeparator) {
    for (int csidl : {kCsidlPrograms, kCsidlCommonPrograms}) {
        std::string path = shell().specialFolderPath(csidl);
        ASSERT_GT(path.size(), 3u) << csidl;
        EXPECT_EQ(path.substr(1, 2), ":\\") << path;
        EXPECT_NE(path.back(), '\\') << path;
    }
}

TEST(ShellContract, ALinkInThePerUserProgramsFolderReadsBackFieldByField) {
    testing_support::ScratchFolder scratch;
    scratch.writeBytes("ツール.exe", "MZ");
    std::string programs = shell().specialFolderPath(kCsidlPrograms) + "\\";
    // The native system makes its folders on demand; Wine's prefix has them.
    for (size_t at = programs.find('\\'); at != std::string::npos; at = programs.find('\\', at + 1)) {
        files().createDirectory(programs.substr(0, at).c_str());
    }
    std::string folder = programs + kLinkFolder;
    ASSERT_TRUE(files().createDirectory(folder.c_str()));

    struct Row {
        const char* arguments;
        const char* workingDirectory;
        int showCommand;
    } rows[] = {{"-a \"b c\" 表", "C:\\作業\\", 3}, {nullptr, nullptr, kSwShowNormal}};
    for (const Row& row : rows) {
        std::string link = folder + "表示.lnk";
        ASSERT_TRUE(shell().createShellLink(link.c_str(), (scratch / "ツール.exe").c_str(), row.arguments, row.workingDirectory,
                                            row.showCommand));
        testing_support::ShortcutFile file = testing_support::readShortcut(link);
        EXPECT_TRUE(file.loaded);
        EXPECT_EQ(file.targetPath, scratch / "ツール.exe");
        EXPECT_EQ(file.arguments, row.arguments ? row.arguments : "");
        EXPECT_EQ(file.workingDirectory, row.workingDirectory ? row.workingDirectory : "");
        EXPECT_EQ(file.showCommand, row.showCommand);
        EXPECT_TRUE(files().deleteFile(link.c_str()));
    }
    EXPECT_TRUE(files().removeDirectory(folder.c_str()));
}

TEST(ShellContract, NoLinkIsWrittenIntoAMissingFolder) {
    testing_support::ScratchFolder scratch;
    EXPECT_FALSE(shell().createShellLink((scratch / "missing\\a.lnk").c_str(), "C:\\a.exe", "", "C:\\", kSwShowNormal));
    EXPECT_FALSE(scratch.exists("missing\\a.lnk"));
}

}  // namespace
