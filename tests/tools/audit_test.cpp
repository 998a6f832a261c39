#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <initializer_list>
#include <string>

#include "manifest/layouts.h"
#include "tests/fakes/recording_shell.h"
#include "tests/tools/patchkit_runner.h"
#include "tools/patchkit/field_text.h"
#include "tools/patchkit/host_paths.h"

namespace {

using patchkit_testing::HostTree;
using patchkit_testing::Outcome;
using patchkit_testing::patchkit;

// The sample installation as its installer left it, broken in one way per case: its files
// and record (init-install), and the shortcut it records in a Programs folder of the test's.
class AuditTest : public testing::Test {
protected:
    void SetUp() override {
        tree.write("desc.json", patchkit_testing::kSampleDescription);
        patchkit_testing::writeSampleTree(tree, "installed");
        ASSERT_EQ(patchkit({"init-install", tree.path("desc.json"), tree.path("installed")}).status, 0);
        std::string programs, why;
        ASSERT_TRUE(patchkit::filePathOf(tree.path("programs"), programs, why));
        shell.answer(platform::kCsidlPrograms, programs);
        tree.write(u8"programs/サンプル製品/サンプル製品.lnk", "link");
    }
    Outcome audit() { return patchkit({"audit", tree.path("installed")}); }

    // The record's header, changed in place.
    void editHeader(const std::function<void(manifest::UninstallHeader&)>& edit) {
        std::string bytes = tree.read("installed/Uninstallinf.dat");
        manifest::UninstallHeader header;
        std::memcpy(&header, bytes.data(), sizeof header);
        edit(header);
        bytes.replace(0, sizeof header, reinterpret_cast<const char*>(&header), sizeof header);
        tree.write("installed/Uninstallinf.dat", bytes);
    }
    // The record listing more files of Sample.exe's 11 bytes, each written beside it, its
    // counters kept in step. Names are code page 932; Windows writes a name that differs from
    // Sample.exe in A-Z case into Sample.exe itself.
    void listAlso(std::initializer_list<const char*> names) {
        std::string bytes = tree.read("installed/Uninstallinf.dat");
        for (const char* name : names) {
            manifest::ManifestEntry also{};
            std::strcpy(also.name, name);
            also.size = 11;
            bytes.append(reinterpret_cast<const char*>(&also), sizeof also);
            tree.write("installed/" + patchkit::displayText(name), "program 1.1");
        }
        tree.write("installed/Uninstallinf.dat", bytes);
        editHeader([n = static_cast<uint32_t>(names.size())](manifest::UninstallHeader& h) {
            h.entryCount += n;
            h.fileCount += n;
            h.totalBytes += 11 * n;
        });
    }

    HostTree tree;
    fakes::RecordingShell shell;
};

TEST_F(AuditTest, InstallationAsItsInstallerLeftItAgrees) {
    Outcome run = audit();
    EXPECT_EQ(run.status, 0) << run.out;
    EXPECT_EQ(run.out, tree.path("installed") + ": agrees with its record\n");
}

TEST_F(AuditTest, EachKindOfDisagreementIsReportedAlone) {
    auto takenFor = [](const std::string& other) {
        return "the updater's record takes it for " + other +
               " (A-Z match in either case, trail bytes of double-byte characters included), though Windows keeps two files";
    };
    auto sameFile = [](const std::string& other) {
        return "names the same file as " + other + " on Windows, and the updater's record takes the two for one entry";
    };
    struct Case {
        const char* breakage;
        std::function<void()> breakIt;
        std::string report;  // the one line expected before the count
    };
    const Case cases[] = {
        {"listed file gone", [&] { tree.remove("installed/Sample.exe"); }, "missing file: Sample.exe (11 bytes in the record)"},
        {"listed file grown", [&] { tree.write("installed/Sample.exe", "program 1.1.1"); },
         "size differs: Sample.exe: 13 bytes on disk, 11 in the record"},
        {"listed folder gone", [&] { tree.remove("installed/empty"); }, "missing folder: empty\\"},
        {"byte counter off", [&] { editHeader([](manifest::UninstallHeader& h) { h.totalBytes = 99; }); },
         "counts differ: totalBytes is 99 in the record; the entries add up to 21"},
        {"file counter off", [&] { editHeader([](manifest::UninstallHeader& h) { h.fileCount = 9; }); },
         "counts differ: fileCount is 9 in the record; the entries add up to 3"},
        {"one file listed twice", [&] { listAlso({"Sample.exe"}); }, "names clash: Sample.exe: " + sameFile("Sample.exe")},
        {"names apart in A-Z case only", [&] { listAlso({"SAMPLE.EXE"}); }, "names clash: SAMPLE.EXE: " + sameFile("Sample.exe")},
        {"names apart in a trail byte only", [&] { listAlso({"ア.txt", "ヂ.txt"}); }, u8"names clash: ヂ.txt: " + takenFor(u8"ア.txt")},
        {"backup beside a listed file", [&] { tree.write("installed/Sample.exe.bak", "program 1.0"); },
         "backup left: Sample.exe.bak beside Sample.exe"},
        {"file nobody listed", [&] { tree.write(u8"installed/表/stray.txt", "abc"); }, u8"not listed: 表\\stray.txt (3 bytes)"},
        {"a save's temporary left", [&] { tree.write("installed/Uninstallinf.~1", "abc"); },
         "not listed: Uninstallinf.~1 (3 bytes): named as a temporary file of the record: a save that did not finish leaves one, and "
         "later saves pass it over"},
        {"name the code page lacks", [&] { tree.write(u8"installed/café.txt", "x"); },
         u8"cannot be listed: café.txt: cannot be named in code page 932: “é” (U+00E9) at character 4 has no code page 932 form"},
        {"recorded shortcut gone", [&] { tree.remove(u8"programs/サンプル製品/サンプル製品.lnk"); },
         u8"missing shortcut: slot 0: (per-user Programs)\\サンプル製品\\サンプル製品.lnk is not there"},
        {"shortcut folder out of the Programs folders",
         [&] { editHeader([](manifest::UninstallHeader& h) { std::strcpy(h.shortcutFolderTemplate, "..\\%s\\"); }); },
         u8"shortcut folder leaves the Programs folders: UninstallHeader.shortcutFolderTemplate gives ..\\サンプル製品\\: name has a \".\" "
         "or \"..\" component; the updater makes and deletes no shortcut"},
        {"record cut short", [&] { tree.write("installed/Uninstallinf.dat", tree.read("installed/Uninstallinf.dat").substr(0, 6000)); },
         "record: Uninstallinf.dat: the updater refuses it: file size: file is 6000 bytes; a header and 6 entries take 7136"},
    };
    for (const Case& c : cases) {
        SetUp();
        c.breakIt();
        Outcome run = audit();
        EXPECT_EQ(run.status, 1) << c.breakage;
        EXPECT_EQ(run.out, c.report + "\n" + tree.path("installed") + ": 1 disagreement\n") << c.breakage;
        tree.remove("installed");
    }
}

TEST_F(AuditTest, JsonNamesEachDisagreementWithBothSides) {
    tree.write("installed/Sample.exe", "program 1.1.1");
    Outcome run = patchkit({"audit", "--json", tree.path("installed")});
    EXPECT_EQ(run.status, 1);
    patchkit::Json report = patchkit_testing::jsonOf(run.out);
    EXPECT_EQ(report["agrees"], false);
    EXPECT_EQ(report["disagreements"],
              patchkit::Json::parse(R"([{"kind": "sizeDiffers", "name": "Sample.exe", "inRecord": 11, "onDisk": 13}])"));
}

}  // namespace
