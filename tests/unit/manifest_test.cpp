// Loading, saving and the list operations of the two manifests.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "manifest/manifest_problems.h"
#include "manifest/manifests.h"
#include "tests/fakes/recording_files.h"
#include "tests/support/manifest_builder.h"
#include "tests/support/scratch_folder.h"

namespace {

using manifest::LoadResult;
using manifest::ManifestEntry;
using manifest::UninstallHeader;
using manifest::UninstallManifest;
using manifest::UpdateHeader;
using manifest::UpdateManifest;
using testing_support::entry;
using testing_support::manifestBytes;
using testing_support::setText;

class ManifestFiles : public ::testing::Test {
protected:
    testing_support::ScratchFolder folder;

    UninstallHeader installed(uint32_t entryCount, uint32_t fileCount, uint64_t totalBytes) {
        UninstallHeader header{};
        header.entryCount = entryCount;
        header.fileCount = fileCount;
        header.totalBytes = totalBytes;
        return header;
    }

    LoadResult loadUpdate(const std::string& bytes, UpdateManifest& manifest) {
        folder.writeBytes("Updateinf.dat", bytes);
        return manifest::loadUpdateManifest(folder / "Updateinf.dat", manifest);
    }
    LoadResult loadUninstall(const std::string& bytes, uint32_t updateCount, UninstallManifest& manifest) {
        folder.writeBytes("Uninstallinf.dat", bytes);
        return manifest::loadUninstallManifest(folder / "Uninstallinf.dat", updateCount, manifest);
    }
};

TEST_F(ManifestFiles, AnUpdateWithNoEntriesLoadsAndTheRecordsCapacityIsItsOwnCount) {
    UpdateManifest update;
    ASSERT_EQ(loadUpdate(manifestBytes(testing_support::updateHeader("K", "V", 0), {}), update), LoadResult::Loaded);
    EXPECT_EQ(update.header.entryCount, 0u);

    UninstallManifest record;
    ASSERT_EQ(loadUninstall(manifestBytes(installed(2, 2, 30), {entry("a.txt", 10), entry("b.txt", 20)}), 0, record),
              LoadResult::Loaded);
    EXPECT_EQ(record.capacity(), 2u);
}

TEST_F(ManifestFiles, TheRecordHasRoomForOneMoreEntryPerUpdateEntry) {
    UninstallManifest record;
    ASSERT_EQ(loadUninstall(manifestBytes(installed(1, 1, 5), {entry("a.txt", 5)}), 3, record), LoadResult::Loaded);
    EXPECT_EQ(record.capacity(), 4u);
    record.appendEntry(entry("b.txt", 1));
    record.appendEntry(entry("c.txt", 1));
    record.appendEntry(entry("d.txt", 1));
    EXPECT_EQ(record.header.entryCount, 4u);
}

TEST_F(ManifestFiles, AMissingFileCannotBeOpened) {
    UpdateManifest update;
    EXPECT_EQ(manifest::loadUpdateManifest(folder / "Updateinf.dat", update), LoadResult::CannotOpen);
    UninstallManifest record;
    EXPECT_EQ(manifest::loadUninstallManifest(folder / "Uninstallinf.dat", 0, record), LoadResult::CannotOpen);
}

TEST_F(ManifestFiles, EveryByteTheUpdaterDoesNotInterpretComesBackUnchanged) {
    UninstallHeader header = installed(2, 1, 77);
    // Arbitrary bytes everywhere the updater does not look: reserved area, carried strings,
    // unused shortcut slots, the tail of every text after its terminator, entry padding.
    for (size_t i = 0; i < sizeof header.reserved; ++i) header.reserved[i] = static_cast<uint8_t>(i * 7 + 1);
    setText(header.templateArgument, "arg");
    std::memset(header.templateArgument + 4, 0xAB, sizeof header.templateArgument - 4);
    for (auto& carried : header.carriedStrings) std::memset(carried, 0xCD, sizeof carried);
    std::memset(header.shortcuts[5].target, 0xEE, sizeof header.shortcuts[5].target);
    ManifestEntry folderEntry = entry("Dir\\", 0, 0x11223344);
    std::memset(folderEntry.name + 5, 0x5A, sizeof folderEntry.name - 5);
    std::memset(folderEntry.padding1, 0x91, 4);
    std::memset(folderEntry.padding2, 0x92, 4);
    ManifestEntry fileEntry = entry("Dir\\file.txt", 77, 9);
    std::string original = manifestBytes(header, {folderEntry, fileEntry});

    UninstallManifest record;
    ASSERT_EQ(loadUninstall(original, 5, record), LoadResult::Loaded);
    manifest::saveUninstallManifest(folder / "Saved.dat", record);
    EXPECT_EQ(folder.readBytes("Saved.dat"), original);
}

TEST_F(ManifestFiles, TheSavedRecordIsTheHeaderAndTheInUseEntriesExactly) {
    UninstallManifest record;
    ASSERT_EQ(loadUninstall(manifestBytes(installed(1, 1, 5), {entry("a.txt", 5)}), 2, record), LoadResult::Loaded);
    record.appendEntry(entry("b.txt", 6));
    manifest::saveUninstallManifest(folder / "Uninstallinf.dat", record);
    std::string saved = folder.readBytes("Uninstallinf.dat");
    ASSERT_EQ(saved.size(), sizeof(UninstallHeader) + 2 * sizeof(ManifestEntry));

    UninstallManifest again;
    ASSERT_EQ(manifest::loadUninstallManifest(folder / "Uninstallinf.dat", 0, again), LoadResult::Loaded);
    EXPECT_EQ(again.header.entryCount, 2u);
    EXPECT_EQ(again.header.totalBytes, 11u);
    EXPECT_STREQ(again.entries()[1].name, "b.txt");
}

TEST_F(ManifestFiles, AnAppendedRecordIsSavedWithZerosWhereNothingWasCopied) {
    UninstallManifest record;
    ASSERT_EQ(loadUninstall(manifestBytes(installed(0, 0, 0), {}), 2, record), LoadResult::Loaded);
    ManifestEntry update = entry("a.bin", 1, 5);
    std::memset(update.name + 6, 0x77, sizeof update.name - 6);
    std::memset(update.padding1, 0x88, 4);
    std::memset(update.padding2, 0x99, 4);
    record.appendEntry(update);
    // A name without a terminator in its field is copied no further than the field.
    ManifestEntry unterminated = update;
    std::memset(unterminated.name, 'n', sizeof unterminated.name);
    unterminated.padding1[2] = 0;
    record.appendEntry(unterminated);
    manifest::saveUninstallManifest(folder / "Uninstallinf.dat", record);

    std::string saved = folder.readBytes("Uninstallinf.dat");
    ASSERT_EQ(saved.size(), sizeof(UninstallHeader) + 2 * sizeof(ManifestEntry));
    ManifestEntry expected[2] = {entry("a.bin", 1, 5), entry(std::string(sizeof update.name, 'n'), 1, 5)};
    EXPECT_EQ(saved.substr(sizeof(UninstallHeader)), std::string(reinterpret_cast<const char*>(expected), sizeof expected));
}

TEST_F(ManifestFiles, SavingToAnUnopenablePathLeavesTheOldFileAsItWas) {
    UninstallManifest record;
    std::string original = manifestBytes(installed(0, 0, 0), {});
    ASSERT_EQ(loadUninstall(original, 0, record), LoadResult::Loaded);
    record.header.fileCount = 9;
    folder.makeReadOnly("Uninstallinf.dat");
    manifest::saveUninstallManifest(folder / "Uninstallinf.dat", record);
    EXPECT_EQ(folder.readBytes("Uninstallinf.dat"), original);
}

TEST_F(ManifestFiles, AFileWhoseSizeIsNotHeaderPlusEntriesIsRefused) {
    UpdateManifest update;
    std::string bytes = manifestBytes(testing_support::updateHeader("K", "V", 2), {entry("a.txt", 1)});
    EXPECT_EQ(loadUpdate(bytes, update), LoadResult::Refused) << "one entry short";
    EXPECT_EQ(loadUpdate(bytes + std::string(281, '\0'), update), LoadResult::Refused) << "one byte too many";
    EXPECT_EQ(loadUpdate(std::string(100, '\0'), update), LoadResult::Refused) << "shorter than a header";
    EXPECT_EQ(update.entries, nullptr) << "nothing is kept from a refused file";

    UninstallManifest record;
    EXPECT_EQ(loadUninstall(manifestBytes(installed(1, 1, 1), {}), 0, record), LoadResult::Refused);
}

TEST_F(ManifestFiles, AHugeCountIsRefusedBeforeAnyAllocation) {
    UpdateManifest update;
    // 15339169 records or more would overflow a 32-bit byte count; the size check refuses
    // the file whatever the count.
    EXPECT_EQ(loadUpdate(manifestBytes(testing_support::updateHeader("K", "V", 0xFFFFFFFFu), {}), update), LoadResult::Refused);
    EXPECT_EQ(loadUpdate(manifestBytes(testing_support::updateHeader("K", "V", 15339169u), {}), update), LoadResult::Refused);
}

TEST_F(ManifestFiles, AShortReadIsRefusedRatherThanTakenAsZeros) {
    fakes::RecordingFiles files;
    UpdateManifest update;
    folder.writeBytes("Updateinf.dat", manifestBytes(testing_support::updateHeader("K", "V", 1), {entry("a.txt", 1)}));
    files.failCall("readFile", 2);
    EXPECT_EQ(manifest::loadUpdateManifest(folder / "Updateinf.dat", update), LoadResult::Refused);
}

TEST_F(ManifestFiles, UnterminatedTextsTheUpdaterReadsAreRefused) {
    UpdateManifest update;
    UpdateHeader header = testing_support::updateHeader("K", "V", 0);
    std::memset(header.note, 'n', sizeof header.note);
    EXPECT_EQ(loadUpdate(manifestBytes(header, {}), update), LoadResult::Refused);

    header = testing_support::updateHeader("K", "V", 0);
    std::memset(header.carriedStrings[2], 'c', sizeof header.carriedStrings[2]);
    EXPECT_EQ(loadUpdate(manifestBytes(header, {}), update), LoadResult::Refused);

    header = testing_support::updateHeader("K", "V", 0);
    setText(header.shortcuts[1].nameTemplate, "Shortcut");
    std::memset(header.shortcuts[1].target, 't', sizeof header.shortcuts[1].target);
    EXPECT_EQ(loadUpdate(manifestBytes(header, {}), update), LoadResult::Refused);

    header = testing_support::updateHeader("K", "V", 1);
    ManifestEntry unterminated = entry("");
    std::memset(unterminated.name, 'x', sizeof unterminated.name);
    EXPECT_EQ(loadUpdate(manifestBytes(header, {unterminated}), update), LoadResult::Refused);
}

TEST_F(ManifestFiles, AnUnusedShortcutSlotsTargetAndTheRecordsCarriedStringsMayHoldAnything) {
    UpdateManifest update;
    UpdateHeader header = testing_support::updateHeader("K", "V", 0);
    std::memset(header.shortcuts[3].target, 't', sizeof header.shortcuts[3].target);
    EXPECT_EQ(loadUpdate(manifestBytes(header, {}), update), LoadResult::Loaded);

    UninstallManifest record;
    UninstallHeader installedHeader = installed(0, 0, 0);
    for (auto& carried : installedHeader.carriedStrings) std::memset(carried, 'c', sizeof carried);
    EXPECT_EQ(loadUninstall(manifestBytes(installedHeader, {}), 0, record), LoadResult::Loaded);

    std::memset(installedHeader.shortcutFolderTemplate, 'f', sizeof installedHeader.shortcutFolderTemplate);
    EXPECT_EQ(loadUninstall(manifestBytes(installedHeader, {}), 0, record), LoadResult::Refused);
}

TEST_F(ManifestFiles, AnEmptyNameIsRefusedInEitherFile) {
    UpdateManifest update;
    EXPECT_EQ(loadUpdate(manifestBytes(testing_support::updateHeader("K", "V", 1), {entry("")}), update), LoadResult::Refused);
    UninstallManifest record;
    EXPECT_EQ(loadUninstall(manifestBytes(installed(1, 0, 0), {entry("")}), 0, record), LoadResult::Refused);
}

TEST_F(ManifestFiles, UpdateNamesThatLeaveTheirFolderOrNameADeviceAreRefused) {
    for (const char* name : {"\\Windows\\evil.dll", "/etc/evil", "C:\\evil.dll", "file.txt:stream", "..\\evil.dll",
                             "data\\..\\..\\evil.dll", ".\\file.txt", "dir\\.\\file.txt", "dir.\\file.txt", "file.txt.",
                             "file.txt ", "dir \\file", "CON", "nul.txt", "dir\\Com1", "LPT9.log", "aux\\", "\x85\x40.txt", "CONOUT$.txt",
                             "uninstallinf.DAT", "Uninstallinf.~7"}) {
        UpdateManifest update;
        EXPECT_EQ(loadUpdate(manifestBytes(testing_support::updateHeader("K", "V", 1), {entry(name)}), update), LoadResult::Refused)
            << name;
    }
}

TEST_F(ManifestFiles, OrdinaryNamesIncludingTrailBytes5CAreAccepted) {
    for (const std::string name : {"file.txt", "Dir\\", "Dir\\sub\\file.dat", "a/b.txt", "COM10.txt", "CONSOLE.txt", "..data",
                                   "\x95\x5C\\", "\x95\x5C\\\x83\x5C.txt", "\x83\x5C", ".hidden", "lpt.txt",
                                   "Uninstallinf.tmp", "d\\Uninstallinf.~1"}) {
        UpdateManifest update;
        EXPECT_EQ(loadUpdate(manifestBytes(testing_support::updateHeader("K", "V", 1), {entry(name)}), update), LoadResult::Loaded)
            << name;
    }
}

TEST(ManifestProblems, EachRefusalNamesItsField) {
    UpdateHeader header = testing_support::updateHeader("K", "V", 0);
    std::memset(header.title, 't', sizeof header.title);
    auto problems = manifest::findUpdateHeaderProblems(header);
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0].field, "UpdateHeader.title");

    std::vector<ManifestEntry> entries = {entry("ok.txt"), entry("..\\x")};
    problems = manifest::findUpdateEntryProblems(entries.data(), 2);
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0].field, "entry 1 name");
}

class EntryList : public ::testing::Test {
protected:
    UninstallManifest record;

    void install(const std::vector<ManifestEntry>& entries, uint32_t spare) {
        UninstallHeader header{};
        header.entryCount = static_cast<uint32_t>(entries.size());
        for (const ManifestEntry& e : entries) {
            if (!manifest::isDirectoryEntry(e)) {
                header.fileCount += 1;
                header.totalBytes += e.size;
            }
        }
        auto slots = std::make_unique<ManifestEntry[]>(entries.size() + spare);
        std::copy(entries.begin(), entries.end(), slots.get());
        record.assign(header, std::move(slots), entries.size() + spare);
    }
};

TEST_F(EntryList, NamesMatchWithAsciiCaseFoldingOnly) {
    install({entry("Dir\\"), entry("Dir\\File.TXT", 3)}, 0);
    EXPECT_EQ(record.findEntry("dir\\"), 0u);
    EXPECT_EQ(record.findEntry("DIR\\file.txt"), 1u);
    EXPECT_EQ(record.findEntry("Dir"), 2u) << "the trailing backslash is part of the name";
    // Full-width Ａ (0x82 0x60) and ａ (0x82 0x81) differ.
    install({entry("\x82\x60.txt")}, 0);
    EXPECT_EQ(record.findEntry("\x82\x81.txt"), 1u);
    // A trail byte in A-Z is folded like any other byte: ア is 0x83 0x41.
    install({entry("\x83\x41")}, 0);
    EXPECT_EQ(record.findEntry("\x83\x61"), 0u);
}

TEST_F(EntryList, OfTwoMatchingRecordsTheFirstIsFound) {
    install({entry("x"), entry("Data\\"), entry("data\\")}, 0);
    EXPECT_EQ(record.findEntry("DATA\\"), 1u);
}

TEST_F(EntryList, AFirstAppendGoesToSlotZeroAndOnlyFilesAreCounted) {
    install({}, 3);
    record.appendEntry(entry("Dir\\", 4096, 1));
    record.appendEntry(entry("Dir\\a.bin", 100, 2));
    EXPECT_STREQ(record.entries()[0].name, "Dir\\");
    EXPECT_EQ(record.header.entryCount, 2u);
    EXPECT_EQ(record.header.fileCount, 1u);
    EXPECT_EQ(record.header.totalBytes, 100u);
    EXPECT_EQ(record.entries()[0].size, 4096u) << "a directory's size is stored, never counted";
    EXPECT_EQ(record.entries()[1].extra, 2u);
}

TEST_F(EntryList, DirAndLowerCaseDirAddOneRecord) {
    install({}, 2);
    ManifestEntry first = entry("Dir\\");
    ManifestEntry second = entry("dir\\");
    if (record.findEntry(first.name) == record.header.entryCount) record.appendEntry(first);
    EXPECT_EQ(record.findEntry(second.name), 0u);
    EXPECT_EQ(record.header.entryCount, 1u);
}

TEST_F(EntryList, UpdatingAFileTakesSizeAndExtraButKeepsItsSpelling) {
    install({entry("App.EXE", 100, 1), entry("other", 50)}, 0);
    record.updateEntry(0, entry("app.exe", 130, 7));
    EXPECT_STREQ(record.entries()[0].name, "App.EXE");
    EXPECT_EQ(record.entries()[0].size, 130u);
    EXPECT_EQ(record.entries()[0].extra, 7u);
    EXPECT_EQ(record.header.totalBytes, 180u);
    EXPECT_EQ(record.header.fileCount, 2u);
}

TEST_F(EntryList, UpdatingADirectoryEntryChangesNothing) {
    install({entry("Dir\\", 1, 1)}, 0);
    record.updateEntry(0, entry("dir\\", 9, 9));
    EXPECT_EQ(record.entries()[0].size, 1u);
    EXPECT_EQ(record.entries()[0].extra, 1u);
}

TEST_F(EntryList, RemovingMovesLaterEntriesDownAndSubtractsTheUpdatesSize) {
    install({entry("a", 10), entry("b", 20), entry("c", 30)}, 0);
    record.removeEntry(0, entry("a", 4));
    EXPECT_EQ(record.header.entryCount, 2u);
    EXPECT_EQ(record.header.fileCount, 2u);
    EXPECT_EQ(record.header.totalBytes, 56u) << "the update's size goes, not the stored one";
    EXPECT_STREQ(record.entries()[0].name, "b");
    EXPECT_STREQ(record.entries()[1].name, "c");

    record.removeEntry(1, entry("c", 30));
    EXPECT_EQ(record.header.entryCount, 1u);
    EXPECT_STREQ(record.entries()[0].name, "b");
}

TEST_F(EntryList, TotalsWrapModulo2To64) {
    install({entry("a", 10)}, 0);
    record.removeEntry(0, entry("a", 11));
    EXPECT_EQ(record.header.totalBytes, UINT64_MAX);
    install({entry("b", 10)}, 0);
    record.header.totalBytes = 5;  // a record whose totals were already off
    record.updateEntry(0, entry("b", 0));
    EXPECT_EQ(record.header.totalBytes, UINT64_MAX - 4);
}

TEST_F(EntryList, DirectoryEntriesAreNeverRemoved) {
    install({entry("Dir\\"), entry("f", 1)}, 0);
    record.removeEntry(0, entry("Dir\\"));
    EXPECT_EQ(record.header.entryCount, 2u);
}

}  // namespace
