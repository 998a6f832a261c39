// Windows' rule for which two names are one file, which the overlay and patchkit use on every
// host, held against the twins Windows is known to make. Under Wine the Win32 suite also holds
// it against the system for every character of the code page
// (file_names_win32_contract_test.cpp); each backend's own key is held against its file calls
// in files_contract_test.cpp.
#include <gtest/gtest.h>

#include <string>

#include "platform/file_names.h"
#include "tests/contract/name_twins.h"
#include "tests/support/scratch_folder.h"

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

}  // namespace
