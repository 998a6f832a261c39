#include <gtest/gtest.h>

#include <map>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/tools/host_tree.h"
#include "tools/patchkit/tree_scan.h"

namespace {

using patchkit::Findings;
using patchkit::TreeItem;
using patchkit_testing::HostTree;

class TreeScanTest : public testing::Test {
protected:
    std::vector<TreeItem> scan(patchkit::ScanOptions options = {}) {
        findings = Findings{};
        return patchkit::scanTree(tree.path("root"), options, findings, patchkit::Progress::silent());
    }
    std::vector<std::string> names(const std::vector<TreeItem>& items) {
        std::vector<std::string> result;
        for (const TreeItem& item : items) result.push_back(item.name);
        return result;
    }
    // Whether this host keeps both names apart; a case-blind file system does not.
    bool hostKeepsApart(const std::string& a, const std::string& b) {
        tree.write("probe/" + a, "a");
        bool apart = !tree.exists("probe/" + b);
        tree.remove("probe");
        return apart;
    }
    std::string onlyReason() {
        return findings.all().size() == 1 ? findings.all()[0].reason : "findings: " + std::to_string(findings.all().size());
    }

    HostTree tree;
    Findings findings;
};

TEST_F(TreeScanTest, FoldersComeBeforeWhatTheyHoldInByteOrder) {
    tree.write("root/b.txt", "bb");
    tree.write("root/a/z.txt", "zzz");
    tree.write("root/a/b/c.txt", "c");
    tree.write("root/a-b.txt", "");
    tree.folder("root/empty");
    std::vector<TreeItem> items = scan();
    EXPECT_TRUE(findings.all().empty());
    EXPECT_EQ(names(items), (std::vector<std::string>{"a-b.txt", "a\\", "a\\b\\", "a\\b\\c.txt", "a\\z.txt", "b.txt", "empty\\"}));
    EXPECT_EQ(items[3].relativePath, "a/b/c.txt");
    EXPECT_EQ(items[4].size, 3u);
    EXPECT_TRUE(items[1].directory);
    EXPECT_FALSE(items[0].directory);
}

TEST_F(TreeScanTest, TrailByte5CStaysInsideItsCharacter) {
    tree.write(u8"root/表/ソ.txt", "x");
    tree.write(u8"root/ソフト表/a.txt", "y");
    std::vector<TreeItem> items = scan();
    EXPECT_TRUE(findings.all().empty());
    // 表 is 0x95 0x5C and ソ 0x83 0x5C: the folder entry ends in two 0x5C bytes.
    EXPECT_EQ(names(items), (std::vector<std::string>{"\x83\x5C\x83\x74\x83\x67\x95\x5C\x5C", "\x83\x5C\x83\x74\x83\x67\x95\x5C\x5C" "a.txt",
                                                      "\x95\x5C\x5C", "\x95\x5C\x5C\x83\x5C.txt"}));
    EXPECT_EQ(items[3].relativePath, u8"表/ソ.txt");
}

TEST_F(TreeScanTest, FileWhoseLastByteIs5CIsRefusedAsTheUpdaterWouldMakeItAFolder) {
    tree.write(u8"root/一覧表", "not a folder");
    scan();
    EXPECT_EQ(onlyReason(), "ends in a double-byte character whose second byte is 0x5C; the updater would take the file for a folder");
    EXPECT_EQ(findings.all()[0].file, tree.path(u8"root/一覧表"));
}

TEST_F(TreeScanTest, NameThatCodePage932CannotHoldIsRefused) {
    tree.write(u8"root/café/menu.txt", "x");
    std::vector<TreeItem> items = scan();
    EXPECT_EQ(onlyReason(), u8"cannot be named in code page 932: \u201C\u00E9\u201D (U+00E9) at character 4 has no code page 932 form");
    EXPECT_TRUE(items.empty());  // nothing below a refused folder is looked at
}

TEST_F(TreeScanTest, YenSignIsRefusedRatherThanReadAsABackslash) {
    tree.write(u8"root/a\u00A5b.txt", "x");
    std::vector<TreeItem> items = scan();
    EXPECT_EQ(onlyReason(), u8"cannot be named in code page 932: \u201C\u00A5\u201D (U+00A5) at character 2 has no code page 932 form");
    EXPECT_TRUE(items.empty());
}

TEST_F(TreeScanTest, NamesTheRecordOrWindowsWouldTakeForOneAnotherAreRefused) {
    // ア is 0x83 0x41 and ヂ 0x83 0x61: the record folds the trail byte as if it were an "A".
    tree.write(u8"root/ア.txt", "1");
    tree.write(u8"root/ヂ.txt", "2");
    // Windows folds full-width letters, which the record keeps apart; a host that folds them
    // too holds one file.
    bool fullWidthApart = hostKeepsApart(u8"Ａ.txt", u8"ａ.txt");
    tree.write(u8"root/Ａ.txt", "3");
    tree.write(u8"root/ａ.txt", "4");
    scan();
    ASSERT_EQ(findings.all().size(), fullWidthApart ? 2u : 1u);
    std::map<std::string, std::string> reasons;
    for (const auto& finding : findings.all()) reasons[finding.file] = finding.reason;
    EXPECT_EQ(reasons[tree.path(u8"root/ヂ.txt")].rfind(u8"the updater's record takes it for ア.txt", 0), 0u);
    if (fullWidthApart) EXPECT_EQ(reasons[tree.path(u8"root/ａ.txt")].rfind(u8"names the same file as Ａ.txt on Windows", 0), 0u);
}

TEST_F(TreeScanTest, LetterCaseClashIsRefusedWhereTheHostKeepsBoth) {
    if (!hostKeepsApart("Read.me", "read.me")) GTEST_SKIP() << "the host's file system ignores letter case";
    tree.write("root/Read.me", "1");
    tree.write("root/read.me", "2");
    tree.write("root/docs/x", "3");
    tree.write("root/DOCS", "4");
    scan();
    ASSERT_EQ(findings.all().size(), 2u);
    EXPECT_EQ(findings.all()[0].reason, "is at the same path as DOCS, one a file and the other a folder");
    EXPECT_EQ(findings.all()[1].reason.rfind("names the same file as Read.me on Windows, and the updater's record", 0), 0u);
}

TEST_F(TreeScanTest, NameTooLongForTheEntryIsRefused) {
    std::string folder(120, 'f');
    tree.write("root/" + folder + "/" + std::string(138, 'n'), "fits: 120 + 1 + 138 = 259 bytes");
    EXPECT_TRUE(scan().size() == 2 && findings.all().empty()) << onlyReason();
    tree.write("root/" + folder + "/" + std::string(139, 'n'), "260 bytes");
    scan();
    EXPECT_EQ(onlyReason(), "takes 260 bytes as an entry name; at most 259 fit");
}

TEST_F(TreeScanTest, RecordAtTheTopIsLeftOutWhenAsked) {
    tree.write("root/Uninstallinf.dat", "old record");
    tree.write("root/sub/UNINSTALLINF.DAT", "a file of the product");
    patchkit::ScanOptions options;
    options.skipAtTop.push_back("Uninstallinf.dat");
    EXPECT_EQ(names(scan(options)), (std::vector<std::string>{"sub\\", "sub\\UNINSTALLINF.DAT"}));
}

TEST_F(TreeScanTest, SymbolicLinksAndNamesWindowsCannotHoldAreRefused) {
    if (std::filesystem::path::preferred_separator == '\\') GTEST_SKIP() << "a Windows host cannot make these names";
    tree.write("root/real.txt", "x");
    std::filesystem::create_symlink(tree.at("root/real.txt"), tree.at("root/link.txt"));
    tree.write("root/aux.txt", "a device name on Windows");
    tree.write("root/back\\slash", "a separator on Windows");
    scan();
    ASSERT_EQ(findings.all().size(), 3u);
    std::string all;
    for (const patchkit::Finding& f : findings.all()) all += f.reason + "\n";
    EXPECT_NE(all.find("is a symbolic link"), std::string::npos) << all;
    EXPECT_NE(all.find("would be refused by the updater: a component of the name is a reserved device name"), std::string::npos) << all;
    EXPECT_NE(all.find("has a backslash in a name"), std::string::npos) << all;
}

}  // namespace
