// Which two names are one file. The updater asks the file service (fileKeyOf) and keeps one
// backup per file by its answer, so the answer must be the file system's own: a key shared by
// names the system keeps apart would skip a backup and lose the old file. Each backend's key
// is held against what its own file calls do with the same names. Windows' rule, which the
// overlay and patchkit use on every host, is held against the twins Windows is known to make;
// under Wine the Win32 suite also holds it against the system for every character of the code
// page (file_names_win32_contract_test.cpp).
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/file_names.h"
#include "platform/files.h"
#include "tests/contract/name_twins.h"
#include "tests/support/scratch_folder.h"
#include "tools/overlay/files_overlay.h"

namespace {

using namespace platform;

std::string windowsKey(const std::string& path) {
    PathKey key;
    return windowsPathKeyOf(path, key) ? key.key : "(none)";
}

TEST(WindowsNameRule, TwinsShareAKeyExactlyWhereWindowsOpensOneFile) {
    testing_support::ScratchFolder folder;
    for (const contract::NameTwins& twins : contract::kNameTwins) {
        EXPECT_EQ(windowsKey(folder / twins.first) == windowsKey(folder / twins.second), twins.oneFileOnWindows)
            << twins.why << ": " << windowsKey(folder / twins.first) << " / " << windowsKey(folder / twins.second);
    }
}

TEST(WindowsNameRule, TheKeyKeepsTheCallersSpellingForTheSystemsCalls) {
    PathKey key;
    ASSERT_TRUE(windowsPathKeyOf("C:\\Prog//表\\.\\x\\..\\Ａb.txt. ", key));
    EXPECT_EQ(key.path, "C:\\Prog\\表\\Ａb.txt");
    EXPECT_FALSE(key.trailingSeparator);
    PathKey parent;
    ASSERT_TRUE(parentOf(key, parent));
    EXPECT_EQ(parent.path, "C:\\Prog\\表");
    ASSERT_TRUE(parentOf(parent, parent) && parentOf(parent, parent));
    EXPECT_EQ(parent.path, "C:\\");
    EXPECT_FALSE(parentOf(parent, parent)) << "a root has no parent";
}

enum class Backend { System, Overlay };

class FileKeyContract : public ::testing::TestWithParam<Backend> {
protected:
    testing_support::ScratchFolder folder;
    std::unique_ptr<overlay::FilesOverlay> overlay =
        GetParam() == Backend::Overlay ? std::make_unique<overlay::FilesOverlay>(platform::files()) : nullptr;
    Files& files = overlay ? static_cast<Files&>(*overlay) : platform::files();

    void write(const std::string& path, const std::string& bytes) {
        FileHandle file = files.createFile(path.c_str(), kGenericWrite, kFileShareWrite, kCreateAlways);
        ASSERT_NE(file, kInvalidFileHandle) << path;
        uint32_t written = 0;
        files.writeFile(file, bytes.data(), static_cast<uint32_t>(bytes.size()), &written);
        files.closeHandle(file);
    }
    std::string read(const std::string& path) {
        FileHandle file = files.createFile(path.c_str(), kGenericRead, kFileShareRead, kOpenExisting);
        if (file == kInvalidFileHandle) return "(none)";
        char buffer[64];
        uint32_t got = 0;
        files.readFile(file, buffer, sizeof buffer, &got);
        files.closeHandle(file);
        return std::string(buffer, got);
    }
};

// Whatever the backend's rule is, its key tells it: the second name reads the first one's file
// exactly when the two keys are equal.
TEST_P(FileKeyContract, TwoNamesShareAKeyExactlyWhenTheyOpenOneFile) {
    int twin = 0;
    for (const contract::NameTwins& twins : contract::kNameTwins) {
        testing_support::ScratchFolder pair;
        files.createDirectory((pair / "dir").c_str());
        std::string content = "twin " + std::to_string(++twin);
        write(pair / twins.first, content);
        bool oneFile = read(pair / twins.second) == content;
        EXPECT_EQ(files.fileKeyOf((pair / twins.first).c_str()) == files.fileKeyOf((pair / twins.second).c_str()), oneFile)
            << twins.why << ": " << files.fileKeyOf((pair / twins.first).c_str()) << " / "
            << files.fileKeyOf((pair / twins.second).c_str());
        if (overlay) EXPECT_EQ(oneFile, twins.oneFileOnWindows) << twins.why << ": the overlay keeps Windows' rule";
    }
}

INSTANTIATE_TEST_SUITE_P(Backends, FileKeyContract, ::testing::Values(Backend::System, Backend::Overlay),
                         [](const ::testing::TestParamInfo<Backend>& info) {
                             return info.param == Backend::System ? "System" : "InMemoryOverlay";
                         });

}  // namespace
