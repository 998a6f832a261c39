// Separator rules shared by CFile's name and the updater's path helpers.
#include <gtest/gtest.h>

#include "app/path_helpers.h"
#include "platform/file_path.h"
#include "platform/posix/posix_system.h"
#include "support/file.h"

namespace {

using platform::ensureTrailingSeparator;
using platform::fileNameOf;
using platform::getParentFolder;

// "表" ends in 0x5C, "ソ" too; "ﾃ" is a half-width katakana, a single byte.
const std::string kHyou = "\x95\x5C";
const std::string kSo = "\x83\x5C";

TEST(FileNameOf, TakesTheBytesAfterTheLastSeparatorOfEitherKind) {
    EXPECT_EQ(fileNameOf("C:\\Product\\data\\app.exe"), "app.exe");
    EXPECT_EQ(fileNameOf("C:/Product/app.exe"), "app.exe");
    EXPECT_EQ(fileNameOf("dir\\sub/name.txt"), "name.txt");
}

TEST(FileNameOf, APathWithoutSeparatorOrOnlyALeadingOneIsItsOwnName) {
    EXPECT_EQ(fileNameOf("readme.txt"), "readme.txt");
    EXPECT_EQ(fileNameOf("\\readme.txt"), "\\readme.txt");
    EXPECT_EQ(fileNameOf(""), "");
}

TEST(FileNameOf, APathEndingInASeparatorHasAnEmptyName) { EXPECT_EQ(fileNameOf("C:\\Product\\"), ""); }

TEST(FileNameOf, ATrailByte5CIsPartOfItsCharacter) {
    EXPECT_EQ(fileNameOf("C:\\dir\\" + kHyou), kHyou);
    EXPECT_EQ(fileNameOf("C:\\" + kSo + "\\" + kHyou + kSo), kHyou + kSo);
}

TEST(FileNameOf, InASingleByteCodePageEvery5CIsASeparator) {
    platform::posix::selectCodePage(1252);
    EXPECT_EQ(fileNameOf("C:\\dir\\" + kHyou), "");
    platform::posix::selectCodePage(932);
}

TEST(PathHelpers, TheParentFolderIsFoundWithEitherSeparator) {
    EXPECT_EQ(getParentFolder("C:\\Update\\Update.exe"), "C:\\Update");
    EXPECT_EQ(getParentFolder("C:/Update/Update.exe"), "C:/Update");
    EXPECT_EQ(getParentFolder("Update.exe"), "");
    EXPECT_EQ(getParentFolder("\\Update.exe"), "") << "index 0 is never a separator";
}

TEST(PathHelpers, AFolderEndingInATrailByte5CKeepsItsCharacterAndGetsABackslash) {
    std::string folder = getParentFolder("C:\\" + kHyou + "\\Update.exe");
    EXPECT_EQ(folder, "C:\\" + kHyou);
    ensureTrailingSeparator(folder);
    EXPECT_EQ(folder, "C:\\" + kHyou + "\\");
    EXPECT_EQ(getParentFolder("C:\\dir\\" + kHyou), "C:\\dir") << "the 5C of the last character is no separator";
}

TEST(PathHelpers, EnsureTrailingSeparatorAddsOneBackslashOnlyWhereNeeded) {
    std::string empty;
    ensureTrailingSeparator(empty);
    EXPECT_EQ(empty, "");
    std::string slash = "C:/Product/";
    ensureTrailingSeparator(slash);
    EXPECT_EQ(slash, "C:/Product/");
    std::string plain = "C:\\Product";
    ensureTrailingSeparator(plain);
    EXPECT_EQ(plain, "C:\\Product\\");
}

}  // namespace
