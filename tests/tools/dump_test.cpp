#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "manifest/layouts.h"
#include "tests/tools/patchkit_runner.h"

namespace {

using patchkit_testing::HostTree;
using patchkit_testing::patchkit;
using patchkit_testing::Outcome;

class DumpTest : public testing::Test {
protected:
    void SetUp() override {
        tree.write("desc.json", patchkit_testing::kSampleDescription);
        patchkit_testing::writeSampleTree(tree, "new");
        ASSERT_EQ(patchkit({"make", tree.path("desc.json"), tree.path("new"), tree.path("pkg")}).status, 0);
        ASSERT_EQ(patchkit({"init-install", tree.path("desc.json"), tree.path("new")}).status, 0);
    }
    std::string kindOf(const std::string& relative, std::vector<std::string> extra = {}) {
        std::vector<std::string> args{"dump", "--json", tree.path(relative)};
        args.insert(args.end(), extra.begin(), extra.end());
        Outcome run = patchkit(args);
        if (run.status != 0) return "status " + std::to_string(run.status) + ": " + run.err;
        return patchkit_testing::jsonOf(run.out)["kind"];
    }

    HostTree tree;
};

TEST_F(DumpTest, KindIsToldByNameElseBySize) {
    tree.write("renamed-update.bin", tree.read("pkg/Updateinf.dat"));
    tree.write("renamed-record.bin", tree.read("new/Uninstallinf.dat"));
    EXPECT_EQ(kindOf("pkg/Updateinf.dat"), "update");
    EXPECT_EQ(kindOf("new/Uninstallinf.dat"), "install");
    EXPECT_EQ(kindOf("renamed-update.bin"), "update");
    EXPECT_EQ(kindOf("renamed-record.bin"), "install");
    EXPECT_EQ(kindOf("renamed-update.bin", {"--kind", "install"}), "status 1: ") << "read as a record, the size does not fit";
}

TEST_F(DumpTest, FileThatIsNeitherNeedsTheKindOption) {
    tree.write("odd.bin", std::string(6000, '\0'));
    Outcome run = patchkit({"dump", tree.path("odd.bin")});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "patchkit: " + tree.path("odd.bin") +
                           ": is neither named nor sized like Updateinf.dat or Uninstallinf.dat; give --kind update or --kind install\n");
    EXPECT_EQ(kindOf("odd.bin", {"--kind", "update"}), "status 1: ");
}

TEST_F(DumpTest, EveryRefusedFieldIsFlaggedAndTheRestStillShown) {
    std::string bytes = tree.read("pkg/Updateinf.dat");
    manifest::UpdateHeader header;
    std::memcpy(&header, bytes.data(), sizeof header);
    std::memset(header.registryValue, 'v', sizeof header.registryValue);
    std::memset(header.shortcuts[2].target, 't', sizeof header.shortcuts[2].target);
    header.note[0] = '\x81';  // a lead byte with a terminator for its trail: not code page 932
    header.note[1] = '\0';
    std::memcpy(&bytes[0], &header, sizeof header);
    bytes[sizeof header + 280 * 3] = '\0';  // entry 3's name is now empty
    tree.write("pkg/Updateinf.dat", bytes);

    Outcome run = patchkit({"dump", "--json", tree.path("pkg/Updateinf.dat")});
    EXPECT_EQ(run.status, 1);
    patchkit::Json dumped = patchkit_testing::jsonOf(run.out);
    patchkit::Json expected = patchkit::Json::array();
    auto problem = [&](const char* severity, const char* field, const std::string& reason) {
        expected.push_back(patchkit::Json{{"severity", severity}, {"field", field}, {"reason", reason}});
    };
    problem("error", "UpdateHeader.registryValue", "text has no terminator within its 128 bytes");
    problem("error", "UpdateHeader.shortcuts[2].target", "text has no terminator within its 260 bytes");
    problem("error", "entry 3 name", "name is empty");
    problem("warning", "UpdateHeader.note", "is not valid code page 932 text");
    EXPECT_EQ(dumped["problems"], expected);
    EXPECT_EQ(dumped["update"]["registryValue"], std::string(128, 'v'));
    EXPECT_EQ(dumped["update"]["note"], u8"\uFFFD");
    EXPECT_EQ(dumped["update"]["title"], u8"サンプル製品 アップデート");
    EXPECT_EQ(dumped["entries"][3]["name"], "");
}

TEST_F(DumpTest, RecordWhoseCountersDisagreeWithItsEntriesIsFlagged) {
    std::string bytes = tree.read("new/Uninstallinf.dat");
    manifest::UninstallHeader header;
    std::memcpy(&header, bytes.data(), sizeof header);
    header.fileCount += 1;
    header.totalBytes -= 1;
    std::memcpy(&bytes[0], &header, sizeof header);
    tree.write("new/Uninstallinf.dat", bytes);
    Outcome run = patchkit({"dump", tree.path("new/Uninstallinf.dat")});
    EXPECT_EQ(run.status, 0) << "the updater trusts the counters; they are only doubtful";
    std::string file = tree.path("new/Uninstallinf.dat");
    EXPECT_NE(run.out.find("problems:\nwarning: " + file + ": UninstallHeader.fileCount: is 4; the entries hold 3 files\n" + "warning: " + file +
                           ": UninstallHeader.totalBytes: is 20; the file entries' sizes add up to 21\n"),
              std::string::npos)
        << run.out;
}

TEST_F(DumpTest, TextFormShowsTextsAsUtf8AndEntriesInOrder) {
    Outcome run = patchkit({"dump", tree.path("pkg/Updateinf.dat")});
    ASSERT_EQ(run.status, 0);
    EXPECT_EQ(run.out.rfind(tree.path("pkg/Updateinf.dat") + ": update manifest, 7008 bytes\n", 0), 0u) << run.out;
    EXPECT_NE(run.out.find(u8"  title                   \"サンプル製品 アップデート\"\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find(u8"  shortcuts[2]            nameTemplate \"%s 設定\"  target \"Sample.exe /settings\"\n"), std::string::npos);
    EXPECT_NE(run.out.find(u8"       3             6  extra 9           表\\ソ.txt\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("no problems found\n"), std::string::npos);
}

TEST_F(DumpTest, TruncatedFileShowsWhatItHolds) {
    tree.write("pkg/Updateinf.dat", tree.read("pkg/Updateinf.dat").substr(0, sizeof(manifest::UpdateHeader) + 280 + 100));
    Outcome run = patchkit({"dump", "--json", tree.path("pkg/Updateinf.dat")});
    EXPECT_EQ(run.status, 1);
    patchkit::Json dumped = patchkit_testing::jsonOf(run.out);
    EXPECT_EQ(dumped["update"]["entryCount"], 6);
    EXPECT_EQ(dumped["entries"].size(), 1u);
    EXPECT_EQ(dumped["problems"][0]["field"], "file size");
}

}  // namespace
