#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "manifest/layouts.h"
#include "manifest/text_fields.h"
#include "tests/tools/patchkit_runner.h"

namespace {

using patchkit_testing::HostTree;
using patchkit_testing::patchkit;
using patchkit_testing::Outcome;

// A package made by the tool, then broken by hand through the layouts.
class CheckTest : public testing::Test {
protected:
    void SetUp() override {
        tree.write("desc.json", patchkit_testing::kSampleDescription);
        patchkit_testing::writeSampleTree(tree, "new");
        ASSERT_EQ(patchkit({"make", tree.path("desc.json"), tree.path("new"), tree.path("pkg")}).status, 0);
        std::string bytes = tree.read("pkg/Updateinf.dat");
        std::memcpy(&header, bytes.data(), sizeof header);
        entries.resize(header.entryCount);
        std::memcpy(entries.data(), bytes.data() + sizeof header, entries.size() * sizeof(manifest::ManifestEntry));
    }
    void save() {
        header.entryCount = static_cast<uint32_t>(entries.size());
        std::string bytes(reinterpret_cast<const char*>(&header), sizeof header);
        bytes.append(reinterpret_cast<const char*>(entries.data()), entries.size() * sizeof(manifest::ManifestEntry));
        tree.write("pkg/Updateinf.dat", bytes);
    }
    manifest::ManifestEntry named(const std::string& cp932, uint64_t size = 0) {
        manifest::ManifestEntry e{};
        manifest::storeFieldText(e.name, cp932);
        e.size = size;
        return e;
    }
    Outcome check(std::vector<std::string> extra = {}) {
        std::vector<std::string> args{"check", tree.path("pkg")};
        args.insert(args.end(), extra.begin(), extra.end());
        return patchkit(args);
    }
    // The finding lines of a check without its summary.
    std::string findingsOf(const Outcome& run) { return run.out.substr(0, run.out.rfind(tree.path("pkg") + ": ")); }
    std::string manifestPrefix() { return tree.path("pkg") + "/Updateinf.dat: "; }

    HostTree tree;
    manifest::UpdateHeader header{};
    std::vector<manifest::ManifestEntry> entries;
};

TEST_F(CheckTest, TruncatedManifestIsRefusedForItsSize) {
    tree.write("pkg/Updateinf.dat", tree.read("pkg/Updateinf.dat").substr(0, sizeof header + 280 * 2 + 10));
    Outcome run = check();
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("error: " + manifestPrefix() + "file size: file is 5898 bytes; a header and 6 entries take 7008"), std::string::npos)
        << run.out;
}

TEST_F(CheckTest, UnterminatedHeaderTextIsRefused) {
    std::memset(header.title, 'T', sizeof header.title);
    save();
    Outcome run = check();
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(findingsOf(run), "error: " + manifestPrefix() + "UpdateHeader.title: text has no terminator within its 128 bytes\n");
}

TEST_F(CheckTest, EmptyAndEscapingNamesAreRefused) {
    entries.push_back(named(""));
    entries.push_back(named("..\\Windows\\evil.dll", 1));
    save();
    Outcome run = check();
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(findingsOf(run), "error: " + manifestPrefix() + "entry 6 name: name is empty\n" + "error: " + manifestPrefix() +
                                   "entry 7 name: name has a \".\" or \"..\" component\n");
}

TEST_F(CheckTest, MissingPayloadAndPayloadOfAnotherSizeAreErrors) {
    tree.remove(u8"pkg/data/表/ソ.txt");
    entries[0].size = 12;
    save();
    Outcome run = check();
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(findingsOf(run), "error: " + manifestPrefix() + "entry 0 size: is 12; the payload file " + tree.path("pkg/data/Sample.exe") +
                                   " holds 11 bytes\n" + "error: " + manifestPrefix() + "entry 3 name: its payload file " +
                                   tree.path(u8"pkg/data/表/ソ.txt") + " is missing\n");
}

TEST_F(CheckTest, MissingDataFolderIsOneError) {
    tree.remove("pkg/data");
    Outcome run = check();
    EXPECT_EQ(findingsOf(run), "error: " + tree.path("pkg/data") + ": is missing; no file entry has its payload\n");
}

TEST_F(CheckTest, NamesTheRecordTakesForOneAnotherAreErrors) {
    entries.push_back(named("EMPTY\\"));
    entries.push_back(named("sample.EXE", 11));
    entries.push_back(named("表\\ソ.TXT", 6));
    save();
    tree.write("pkg/data/sample.EXE", "program 1.1");
    tree.write(u8"pkg/data/表/ソ.TXT", "manual");
    Outcome run = check();
    EXPECT_EQ(run.status, 1);
    std::string found = findingsOf(run);
    for (const char* line : {"entry 6 name: names the same file as entry 1 (empty\\) on Windows, and the updater's record takes the two",
                             "entry 7 name: names the same file as entry 0 (Sample.exe) on Windows, and", u8"entry 8 name: names the same file as entry 3 (表\\ソ.txt) on"}) {
        EXPECT_NE(found.find(line), std::string::npos) << found;
    }
}

// The record folds a trail byte that Windows keeps (ア, ヂ); Windows folds full-width letters
// that the record keeps apart. Each is a clash of its own kind.
TEST_F(CheckTest, TheRecordsClashesAndTheDisksAreToldApart) {
    entries = {named("ア.txt", 1), named("ヂ.txt", 1), named("Ａ.txt", 1), named("ａ.txt", 1), named("d\\\\x", 1), named("d\\x", 1)};
    save();
    tree.remove("pkg/data");
    for (const char* name : {u8"ア.txt", u8"ヂ.txt", u8"Ａ.txt", u8"ａ.txt", "d/x"}) tree.write(std::string("pkg/data/") + name, "x");
    Outcome run = check();
    std::string found = findingsOf(run);
    EXPECT_NE(found.find(u8"entry 1 name: the updater's record takes it for entry 0 (ア.txt) (A-Z match in either case, trail bytes of "
                         "double-byte characters included), though Windows keeps two files\n"), std::string::npos) << found;
    EXPECT_NE(found.find(u8"entry 3 name: names the same file as entry 2 (Ａ.txt) on Windows (letter case ignored"), std::string::npos) << found;
    EXPECT_NE(found.find("entry 5 name: names the same file as entry 4 (d\\\\x) on Windows"), std::string::npos) << found;
}

TEST_F(CheckTest, EntryOverTheInstallationsRecordOrItsTemporaryIsAnError) {
    entries.push_back(named("UNINSTALLINF.DAT", 3));
    entries.push_back(named("sub\\Uninstallinf.dat", 3));  // a product file of that name is fine
    entries.insert(entries.end(), {named("Uninstallinf.~12", 3), named("Uninstallinf.tmp", 3)});
    save();
    for (const char* name : {"UNINSTALLINF.DAT", "sub/Uninstallinf.dat", "Uninstallinf.~12", "Uninstallinf.tmp"}) tree.write(std::string("pkg/data/") + name, "old");
    Outcome run = check();
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(findingsOf(run).find("error: " + manifestPrefix() + "entry 6 name: would overwrite the installation's own record\n"), std::string::npos);
    EXPECT_NE(findingsOf(run).find("error: " + manifestPrefix() + "entry 8 name: is named as a temporary file of the installation's record"), std::string::npos);
    EXPECT_EQ(findingsOf(run).find("entry 7 name: would"), std::string::npos);
}

TEST_F(CheckTest, FileAndFolderOfOneNameAreAnError) {
    entries.push_back(named("empty", 0));
    save();
    Outcome run = check();
    EXPECT_NE(run.out.find("entry 6 name: is at the same path as entry 1 (empty\\), one a file and the other a folder"), std::string::npos)
        << run.out;
}

TEST_F(CheckTest, AnEntryAtAnotherEntrysBackupNameIsToldByItsPlaceInTheList) {
    entries.insert(entries.begin(), named("later.txt.BAK", 1));
    entries.push_back(named("later.txt", 1));
    entries.push_back(named("sample.exe.bak", 1));
    save();
    for (const char* name : {"later.txt.BAK", "later.txt", "sample.exe.bak"}) tree.write(std::string("pkg/data/") + name, "x");
    Outcome run = check();
    EXPECT_EQ(run.status, 1);
    std::string found = findingsOf(run);
    EXPECT_NE(found.find("error: " + manifestPrefix() + "entry 0 name: is where the old file of entry 7 (later.txt), listed later, is kept"),
              std::string::npos) << found;
    EXPECT_NE(found.find("error: " + manifestPrefix() + "entry 8 name: is where the old file of entry 1 (Sample.exe) is kept"),
              std::string::npos) << found;
}

TEST_F(CheckTest, FileWithoutItsFolderEntryEarlierIsAWarning) {
    // data.bin before its folder's entry: the folder would not exist yet when it is copied.
    std::swap(entries[4], entries[5]);
    save();
    Outcome run = check();
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(findingsOf(run), "warning: " + manifestPrefix() + u8"entry 4 name: its folder 表\\深い\\ has no directory entry earlier in "
                                                                 "the list; the copy fails unless the installation has that folder already\n");
    EXPECT_EQ(check({"--strict"}).status, 1);
}

TEST_F(CheckTest, NameEndingInATrailByte5CIsTakenForAFolder) {
    entries.push_back(named("一覧表", 4));  // 表 is 0x95 0x5C: the updater makes a folder of it
    save();
    Outcome run = check();
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(findingsOf(run), "warning: " + manifestPrefix() +
                                   "entry 6 name: ends in a double-byte character whose second byte is 0x5C; the updater takes it for a folder\n");
}

TEST_F(CheckTest, DeeperFolderEntryAlsoMakesTheFoldersAboveIt) {
    // Without "表\" the entry "表\深い\" still makes 表, so ソ.txt finds its folder.
    entries.erase(entries.begin() + 2);
    std::swap(entries[2], entries[3]);
    save();
    Outcome run = check();
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(findingsOf(run), "");
}

TEST_F(CheckTest, PathsTooLongForTheInstallationFolderAreErrors) {
    // The folder gets its separator added. The longest joined texts are the name
    // "表\深い\data.bin" (16 bytes), whose backup adds ".bak", and the folder "表\深い" (7 bytes)
    // that CreateDirectoryA makes; the shortcut target "Sample.exe /settings" is a program of 10.
    auto folderOf = [](size_t bytes) { return "C:" + std::string(bytes - 3, 'p'); };
    EXPECT_EQ(check({"--install-path", folderOf(239)}).status, 0);
    Outcome target = check({"--install-path", folderOf(240)});
    const std::string backupOf5 = "error: " + manifestPrefix() + "entry 5 name: joined to the installation folder, with the \".bak\" of its "
                                  "backup, takes 260 bytes; at most 259 fit; the updater refuses the update before any change wherever the "
                                  "installation has the file\n";
    EXPECT_EQ(findingsOf(target), backupOf5 + "note: " + manifestPrefix() + "without --update-path the paths joined to the update's data folder were not "
                                  "judged; the longest, for entry 5 name, adds 16 bytes to it, so the folder Update.exe runs from may take at "
                                  "most 238 bytes with its separator\n");
    Outcome both = check({"--install-path", folderOf(244), "--update-path", "C:\\Update"});
    EXPECT_EQ(both.status, 1);
    // The record's own path, folder and "Uninstallinf.dat", is as long as the longest name.
    auto folderMade = [&](int entry, size_t bytes) {
        return "error: " + manifestPrefix() + "entry " + std::to_string(entry) + " name: makes a folder that, joined to the installation folder, takes " +
               std::to_string(bytes) + " bytes; at most 247 fit (CreateDirectoryA keeps room for an 8.3 name below it); the updater refuses the "
               "update before any change wherever the installation lacks the folder\n";
    };
    EXPECT_EQ(findingsOf(both), "error: --install-path: the path of the installation's record takes 260 bytes; at most 259 fit\n" +
                                    folderMade(1, 249) + folderMade(4, 251) + "error: " + manifestPrefix() +
                                    "entry 5 name: joined to the installation folder takes 260 bytes; at most 259 fit\n");
    Outcome record = check({"--install-path", "C:\\" + std::string(244, 'r') + "\\"});
    EXPECT_NE(record.out.find("error: --install-path: the path of the installation's record takes 264 bytes; at most 259 fit"),
              std::string::npos);
    Outcome unconvertible = check({"--install-path", u8"C:\\Café"});
    EXPECT_EQ(unconvertible.status, 1);
    EXPECT_NE(unconvertible.out.find("error: --install-path: "), std::string::npos);
}

TEST_F(CheckTest, ShortcutTargetTooLongOrTemplateUnsafeAreErrors) {
    manifest::storeFieldText(header.shortcuts[0].nameTemplate, "%s%d");
    manifest::storeFieldText(header.shortcuts[1].nameTemplate, "..\\..\\Startup\\%s");
    manifest::storeFieldText(header.shortcuts[2].target, std::string(200, 't'));
    manifest::storeFieldText(header.shortcuts[3].nameTemplate, "nul.%s");
    save();
    Outcome run = check({"--install-path", "C:\\" + std::string(60, 'i'), "--update-path", "C:\\Update"});
    EXPECT_EQ(findingsOf(run), "error: " + manifestPrefix() + "UpdateHeader.shortcuts[0].nameTemplate: holds \"%d\"; only \"%s\" and \"%%\" may appear\n" +
                                   "error: " + manifestPrefix() + "UpdateHeader.shortcuts[1].nameTemplate: gives a link the updater refuses "
                                   "(name has a \".\" or \"..\" component); the updater skips this shortcut\n" +
                                   "error: " + manifestPrefix() + "UpdateHeader.shortcuts[2].target: names a program whose path joined to the "
                                   "installation folder takes 264 bytes; at most 259 fit; the updater makes no shortcut for the slot\n" +
                                   "error: " + manifestPrefix() + "UpdateHeader.shortcuts[3].nameTemplate: gives a link the updater refuses "
                                   "(a component of the name is a reserved device name); the updater skips this shortcut\n");
}

TEST_F(CheckTest, PayloadFileInNoEntryIsAWarning) {
    tree.write("pkg/data/left-over.txt", "from an earlier make");
    Outcome run = check();
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(findingsOf(run), "warning: " + tree.path("pkg/data/left-over.txt") + ": is in the payload but in no entry of " +
                                   tree.path("pkg/Updateinf.dat") + "\n");
}

TEST_F(CheckTest, NamesTooLongForTheProgressLineAreNotedOnce) {
    for (size_t length : {33u, 247u}) {
        std::string name(length, 'n');
        entries.push_back(named(name, 1));
        tree.write("pkg/data/" + name, "x");
    }
    save();
    // Below a temporary folder on Windows the payload's own path may be too long to open; only
    // the note is pinned here.
    Outcome run = check({"--strict"});
    EXPECT_NE(findingsOf(run).find("note: " + manifestPrefix() +
                                   "2 file names are longer than the progress line shows (about 32 half-width characters, half as "
                                   "many full-width ones), which cuts off the rest; the longest, entry 7 name, takes 247 bytes\n"),
              std::string::npos) << findingsOf(run);
}

// A Windows program's image reduced to what check reads: the MZ header pointing at the PE
// header, 512 bytes of headers, one section of 512 bytes, then the certificate table, if any.
std::string programImage(uint16_t machine, uint16_t magic, uint16_t subsystem, uint16_t characteristics,
                         const std::string& certificates = "", uint32_t peHeaderAt = 64) {
    const bool plus = magic == 0x20B;
    std::string image(1024, '\0');
    auto put16 = [&](size_t at, uint32_t v) {
        image[at] = static_cast<char>(v);
        image[at + 1] = static_cast<char>(v >> 8);
    };
    auto put32 = [&](size_t at, uint32_t v) { put16(at, v & 0xFFFF), put16(at + 2, v >> 16); };
    const size_t file = 68, optional = file + 20, optionalSize = plus ? 240 : 224, directories = optional + (plus ? 108 : 92);
    image.replace(0, 2, "MZ");
    put32(0x3C, peHeaderAt);
    image.replace(64, 4, std::string("PE\0\0", 4));
    put16(file, machine);
    put16(file + 2, 1);
    put16(file + 16, optionalSize);
    put16(file + 18, characteristics);
    put16(optional, magic);
    put32(optional + 60, 512);
    put16(optional + 68, subsystem);
    put32(directories, 16);
    put32(optional + optionalSize + 16, 512);
    put32(optional + optionalSize + 20, 512);
    if (!certificates.empty()) {
        put32(directories + 4 + 8 * 4, 1024);
        put32(directories + 4 + 8 * 4 + 4, static_cast<uint32_t>(certificates.size()));
    }
    return image + certificates;
}

TEST_F(CheckTest, TheProgramBesideTheManifestMustBeTheWhole32BitGuiUpdater) {
    const uint16_t kX86 = 0x14C, kPe32 = 0x10B, kGui = 2, kProgram = 0x102;
    // A certificate table entry of the PKCS#7 kind whose content is no signature.
    const std::string junkSignature("\x10\0\0\0\0\x02\x02\0\x30\x06\x02\x01\x01\x31\0\0", 16);
    struct Case {
        const char* what;
        std::string bytes;
        std::string finding;  // its start
        int status;
    };
    const Case cases[] = {
        {"the 32-bit GUI build, unsigned", programImage(kX86, kPe32, kGui, kProgram), "warning: %: carries no Authenticode signature", 0},
        {"the 64-bit test build", programImage(0x8664, 0x20B, kGui, 0x22), "error: %: is a program for x64 (PE32+); the updater is the 32-bit", 1},
        {"a console build", programImage(kX86, kPe32, 3, kProgram), "error: %: is a console program", 1},
        {"a DLL", programImage(kX86, kPe32, kGui, kProgram | 0x2000), "error: %: is a DLL", 1},
        {"a copy cut short", programImage(kX86, kPe32, kGui, kProgram).substr(0, 700),
         "error: %: is cut short: its headers and sections reach byte 1024, and the file has 700", 1},
        {"a signed copy cut inside its signature", programImage(kX86, kPe32, kGui, kProgram, junkSignature).substr(0, 1030),
         "error: %: is cut short: its certificate table reaches byte 1040, and the file has 1030", 1},
        {"the native program", std::string("\x7f" "ELF\2\1\1", 7) + std::string(200, '\0'), "error: %: is an ELF program", 1},
        {"a stand-in", "MZ stand-in", "error: %: is not a Windows program: it has no whole MZ header", 1},
        {"a script", "#!/bin/sh\n" + std::string(100, '#'), "error: %: is not a Windows program: it has no whole MZ header", 1},
        {"an MZ header pointing at no PE header", programImage(kX86, kPe32, kGui, kProgram, "", 128),
         "error: %: is not a Windows program: it has no PE header where its MZ header points", 1},
        {"a ROM image", programImage(kX86, 0x107, kGui, kProgram), "error: %: has an optional header of neither kind", 1},
        {"a certificate table without a signature", programImage(kX86, kPe32, kGui, kProgram, junkSignature),
         "warning: %: carries a certificate table, but no signer can be read from it: its signature is not PKCS#7 signed data", 0},
    };
    const std::string program = tree.path("pkg/Update.exe");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        tree.write("pkg/Update.exe", c.bytes);
        Outcome run = check();
        std::string expected = c.finding;
        expected.replace(expected.find('%'), 1, program);
        EXPECT_EQ(findingsOf(run).substr(0, expected.size()), expected);
        EXPECT_EQ(run.status, c.status);
    }
}

TEST_F(CheckTest, MissingManifestIsAnError) {
    tree.remove("pkg/Updateinf.dat");
    Outcome run = check();
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(findingsOf(run), "error: " + tree.path("pkg/Updateinf.dat") + ": cannot be opened for reading\n");
}

}  // namespace
