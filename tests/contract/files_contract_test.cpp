// What the product relies on from the file system, pinned on both backends: natively against
// the POSIX implementation, under Wine against Win32. The in-memory overlay that patchkit's
// dry run puts over the backend must keep every rule too, so each case runs over it as well:
// the files are laid out on disk, and what the case then sees goes through the overlay.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "platform/files.h"
#include "tests/contract/name_twins.h"
#include "tests/support/scratch_folder.h"
#include "tools/overlay/files_overlay.h"

namespace {

using namespace platform;

enum class Backend { System, Overlay };

class FilesContract : public ::testing::TestWithParam<Backend> {
protected:
    testing_support::ScratchFolder folder;
    std::unique_ptr<overlay::FilesOverlay> overlay =
        GetParam() == Backend::Overlay ? std::make_unique<overlay::FilesOverlay>(platform::files()) : nullptr;
    Files& files = overlay ? static_cast<Files&>(*overlay) : platform::files();
    std::vector<FileHandle> opened;

    // The file as the backend under test now has it.
    std::string readBack(const std::string& name) {
        if (!overlay) return folder.readBytes(name);
        std::string bytes;
        EXPECT_TRUE(overlay->contentOf(folder / name, bytes)) << name;
        return bytes;
    }
    bool present(const std::string& name) {
        return overlay ? files.getFileAttributes((folder / name).c_str()) != kInvalidFileAttributes : folder.exists(name);
    }

    FileHandle open(const std::string& name, uint32_t access, uint32_t share, uint32_t disposition) {
        FileHandle handle = files.createFile((folder / name).c_str(), access, share, disposition);
        if (handle != kInvalidFileHandle) opened.push_back(handle);
        return handle;
    }
    FileHandle openForWrite(const std::string& name) { return open(name, kGenericWrite, kFileShareWrite, kCreateAlways); }
    FileHandle openForRead(const std::string& name) { return open(name, kGenericRead, kFileShareRead, kOpenExisting); }
    FileHandle openExclusive(const std::string& name) {
        return open(name, kGenericRead | kGenericWrite, 0, kOpenAlways);
    }

    uint64_t sizeOf(FileHandle handle) {
        uint32_t high = 0;
        uint32_t low = files.getFileSize(handle, &high);
        return (static_cast<uint64_t>(high) << 32) | low;
    }

    void TearDown() override {
        for (FileHandle handle : opened) files.closeHandle(handle);
    }
};

TEST_P(FilesContract, WriteModeCreatesAMissingFileAndEmptiesAnExistingOne) {
    FileHandle created = openForWrite("new.bin");
    ASSERT_NE(created, kInvalidFileHandle);
    EXPECT_TRUE(present("new.bin"));
    EXPECT_EQ(sizeOf(created), 0u);

    folder.writeBytes("old.bin", "previous content");
    FileHandle emptied = openForWrite("old.bin");
    ASSERT_NE(emptied, kInvalidFileHandle);
    EXPECT_EQ(sizeOf(emptied), 0u);
    uint32_t written = 0;
    ASSERT_TRUE(files.writeFile(emptied, "new", 3, &written));
    EXPECT_EQ(written, 3u);
    files.closeHandle(emptied);
    opened.pop_back();
    EXPECT_EQ(readBack("old.bin"), "new");
}

TEST_P(FilesContract, ReadModeFailsOnAMissingFileAndCreatesNothing) {
    EXPECT_EQ(openForRead("missing.bin"), kInvalidFileHandle);
    EXPECT_FALSE(present("missing.bin"));
}

TEST_P(FilesContract, AFileOpenForWriteRefusesASecondReaderButNotASecondWriter) {
    ASSERT_NE(openForWrite("held.bin"), kInvalidFileHandle);
    EXPECT_EQ(openForRead("held.bin"), kInvalidFileHandle);
    EXPECT_NE(openForWrite("held.bin"), kInvalidFileHandle);
}

TEST_P(FilesContract, AFileOpenForReadRefusesAWriterButNotASecondReader) {
    folder.writeBytes("held.bin", "content");
    ASSERT_NE(openForRead("held.bin"), kInvalidFileHandle);
    EXPECT_EQ(openForWrite("held.bin"), kInvalidFileHandle);
    EXPECT_EQ(readBack("held.bin"), "content") << "a refused open must not empty the file";
    EXPECT_NE(openForRead("held.bin"), kInvalidFileHandle);
}

TEST_P(FilesContract, ReadWriteOpensWithoutEmptyingOrCreatesAndSharesWithNobody) {
    folder.writeBytes("existing.bin", "12345");
    FileHandle existing = openExclusive("existing.bin");
    ASSERT_NE(existing, kInvalidFileHandle);
    EXPECT_EQ(sizeOf(existing), 5u);
    EXPECT_EQ(openForRead("existing.bin"), kInvalidFileHandle);

    FileHandle created = openExclusive("created.bin");
    ASSERT_NE(created, kInvalidFileHandle);
    EXPECT_EQ(sizeOf(created), 0u);
    EXPECT_TRUE(present("created.bin"));
}

TEST_P(FilesContract, AReadOnlyFileCannotBeOpenedForWriting) {
    folder.writeBytes("locked.bin", "keep");
    folder.makeReadOnly("locked.bin");
    EXPECT_EQ(openForWrite("locked.bin"), kInvalidFileHandle);
    EXPECT_EQ(openExclusive("locked.bin"), kInvalidFileHandle);
    EXPECT_NE(openForRead("locked.bin"), kInvalidFileHandle);
    EXPECT_EQ(readBack("locked.bin"), "keep");
}

TEST_P(FilesContract, AFolderCannotBeOpenedAsAFile) {
    folder.makeFolder("sub");
    EXPECT_EQ(openForRead("sub"), kInvalidFileHandle);
    EXPECT_EQ(openForWrite("sub"), kInvalidFileHandle);
}

TEST_P(FilesContract, WhatWindowsRefusesLeavesEverythingAsItWas) {
    folder.writeBytes("locked.bin", "keep");
    folder.makeReadOnly("locked.bin");
    EXPECT_FALSE(files.deleteFile((folder / "locked.bin").c_str()));
    folder.makeFolder("full");
    folder.writeBytes("full\\inside.txt", "x");
    EXPECT_FALSE(files.removeDirectory((folder / "full").c_str()));
    EXPECT_FALSE(files.createDirectory((folder / "full").c_str()));
    // A backup move tells a file that is not there from one it may not move by the error alone.
    EXPECT_FALSE(files.moveFileReplace((folder / "missing.bin").c_str(), (folder / "other.bin").c_str()));
    EXPECT_EQ(files.getLastError(), kErrorFileNotFound);
    folder.writeBytes("held.bin", "held");
    ASSERT_NE(openForRead("held.bin"), kInvalidFileHandle);
    EXPECT_FALSE(files.moveFileReplace((folder / "full\\inside.txt").c_str(), (folder / "held.bin").c_str()));
    EXPECT_EQ(files.getLastError(), kErrorAccessDenied);
    EXPECT_FALSE(files.moveFileReplace((folder / "held.bin").c_str(), (folder / "other.bin").c_str()));
    EXPECT_EQ(files.getLastError(), kErrorSharingViolation);

    EXPECT_EQ(readBack("locked.bin"), "keep");
    EXPECT_EQ(readBack("full\\inside.txt"), "x");
    EXPECT_EQ(readBack("held.bin"), "held");
    EXPECT_FALSE(present("other.bin"));
}

// What the updater's writes rest on: kCreateNew never opens what a name holds; a file keeps
// its identity when moved, and an open of access none tells it beside a writer; a folder moves
// whole to a free name, never onto another. Windows makes no folder past CreateDirectoryA's
// limit, and the overlay keeps it; Wine and the native backend make one.
TEST_P(FilesContract, CreateNewTakesOnlyAFreeNameAndAFileKeepsItsIdentityAsItMoves) {
    folder.writeBytes("old.bin", "keep");
    folder.makeFolder("d");
    folder.writeBytes("d\\x.dll", "x");
    for (const char* taken : {"old.bin", "d"}) {
        EXPECT_EQ(open(taken, kGenericWrite, kFileShareWrite, kCreateNew), kInvalidFileHandle) << taken;
        EXPECT_EQ(files.getLastError(), kErrorFileExists) << taken;
    }
    auto identityOf = [&](const std::string& name) {
        FileIdentity identity;
        FileHandle handle = files.createFile((folder / name).c_str(), 0, kFileShareRead | kFileShareWrite | kFileShareDelete, kOpenExisting);
        EXPECT_TRUE(handle != kInvalidFileHandle && files.getFileInformationByHandle(handle, &identity)) << name;
        if (handle != kInvalidFileHandle) files.closeHandle(handle);
        return identity;
    };
    FileHandle writer = open("new.bin", kGenericWrite, kFileShareWrite, kCreateNew);
    FileIdentity written;
    ASSERT_TRUE(writer != kInvalidFileHandle && files.getFileInformationByHandle(writer, &written));
    EXPECT_TRUE(identityOf("new.bin") == written && !(identityOf("old.bin") == written));
    files.closeHandle(writer);
    opened.clear();
    ASSERT_TRUE(files.moveFileReplace((folder / "new.bin").c_str(), (folder / "old.bin").c_str()));
    EXPECT_TRUE(identityOf("old.bin") == written) << "the moved file, under the name it replaced";
    folder.makeFolder("other");
    EXPECT_FALSE(files.moveFileReplace((folder / "d").c_str(), (folder / "other").c_str()));
    ASSERT_TRUE(files.moveFileReplace((folder / "d").c_str(), (folder / "d.bak").c_str()));
    EXPECT_EQ(readBack("d.bak\\x.dll"), "x");
    EXPECT_FALSE(present("d\\x.dll"));
    std::string longest = folder / std::string(kLongestFolderPath - folder.path().size(), 'f');
    EXPECT_TRUE(files.createDirectory(longest.c_str()));
    bool pastTheLimit = files.createDirectory((longest + "g").c_str());
    if (overlay) EXPECT_FALSE(pastTheLimit);
}

// What the backups rest on: a move replaces the file of the new name, and a read-only file
// can be made writable first (a move onto a read-only file succeeds under Wine only).
TEST_P(FilesContract, AttributesTellFoldersAndReadOnlyFilesAndAMoveReplaces) {
    folder.makeFolder("sub");
    EXPECT_NE(files.getFileAttributes((folder / "sub").c_str()) & kFileAttributeDirectory, 0u);
    EXPECT_EQ(files.getFileAttributes((folder / "missing").c_str()), kInvalidFileAttributes);

    folder.writeBytes("old.txt", "old");
    folder.writeBytes("new.txt", "new");
    folder.makeReadOnly("old.txt");
    std::string old = folder / "old.txt";
    EXPECT_NE(files.getFileAttributes(old.c_str()) & kFileAttributeReadOnly, 0u);
    EXPECT_TRUE(files.setFileAttributes(old.c_str(), kFileAttributeNormal));
    EXPECT_EQ(files.getFileAttributes(old.c_str()) & (kFileAttributeReadOnly | kFileAttributeDirectory), 0u);
    EXPECT_TRUE(files.moveFileReplace((folder / "new.txt").c_str(), old.c_str()));
    EXPECT_EQ(readBack("old.txt"), "new");
    EXPECT_FALSE(present("new.txt"));
}

// The pre-flight counts the names of a folder that one name may open.
TEST_P(FilesContract, AListingNamesWhatTheFolderHoldsAsSpelledWithoutDotAndDotDot) {
    folder.makeFolder("Sub");
    folder.writeBytes("Gone.txt", "");
    folder.writeBytes("a.TXT", "");
    files.deleteFile((folder / "Gone.txt").c_str());
    std::vector<std::string> names;
    ASSERT_TRUE(files.listFolder(folder.path().c_str(), names));
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"Sub", "a.TXT"}));
    EXPECT_FALSE(files.listFolder((folder / "missing\\").c_str(), names));
}

TEST_P(FilesContract, SizesAndPositionsPastFourGigabytesKeepTheirHighWord) {
    FileHandle file = openExclusive("large.bin");
    ASSERT_NE(file, kInvalidFileHandle);
    // 4 GiB + 16 bytes, written as one byte at the far end; the file systems used here keep
    // the gap sparse.
    int32_t high = 1;
    uint32_t low = files.setFilePointer(file, 15, &high, kFileBegin);
    EXPECT_EQ(low, 15u);
    EXPECT_EQ(high, 1);
    uint32_t written = 0;
    ASSERT_TRUE(files.writeFile(file, "x", 1, &written));
    EXPECT_EQ(sizeOf(file), 0x100000010ull);

    int32_t currentHigh = 0;
    uint32_t currentLow = files.setFilePointer(file, 0, &currentHigh, kFileCurrent);
    EXPECT_EQ(currentLow, 16u);
    EXPECT_EQ(currentHigh, 1);
}

// A copy is measured against the source's size, so a failed size must be told from a file of
// 0xFFFFFFFF bytes: by the last error, which the size of such a file clears.
TEST_P(FilesContract, ASizeWithAllOnesInItsLowWordClearsTheLastError) {
    FileHandle file = openExclusive("ones.bin");
    ASSERT_NE(file, kInvalidFileHandle);
    int32_t high = 0;
    files.setFilePointer(file, static_cast<int32_t>(0xFFFFFFFEu), &high, kFileBegin);
    uint32_t written = 0;
    ASSERT_TRUE(files.writeFile(file, "x", 1, &written));
    EXPECT_EQ(files.getFileAttributes((folder / "missing.bin").c_str()), kInvalidFileAttributes);
    ASSERT_NE(files.getLastError(), kErrorSuccess);
    uint32_t sizeHigh = 7;
    EXPECT_EQ(files.getFileSize(file, &sizeHigh), kInvalidFileSize);
    EXPECT_EQ(sizeHigh, 0u);
    EXPECT_EQ(files.getLastError(), kErrorSuccess);
}

TEST_P(FilesContract, OneTransferMovesWhatRemainsWhenAskedForMore) {
    folder.writeBytes("ten.bin", "0123456789");
    FileHandle file = openForRead("ten.bin");
    ASSERT_NE(file, kInvalidFileHandle);
    std::vector<char> buffer(100000);
    uint32_t got = 0;
    ASSERT_TRUE(files.readFile(file, buffer.data(), static_cast<uint32_t>(buffer.size()), &got));
    EXPECT_EQ(got, 10u);
    EXPECT_EQ(std::string(buffer.data(), got), "0123456789");
    ASSERT_TRUE(files.readFile(file, buffer.data(), 4, &got));
    EXPECT_EQ(got, 0u) << "at the end a read succeeds with nothing";
}

TEST_P(FilesContract, AHandleOpenedForOneDirectionRefusesTheOther) {
    folder.writeBytes("one-way.bin", "abc");
    FileHandle reader = openForRead("one-way.bin");
    ASSERT_NE(reader, kInvalidFileHandle);
    uint32_t moved = 7;
    EXPECT_FALSE(files.writeFile(reader, "z", 1, &moved));
    EXPECT_EQ(readBack("one-way.bin"), "abc");
}

TEST_P(FilesContract, FlushingNeedsWriteAccess) {
    FileHandle writer = openForWrite("flushed.bin");
    ASSERT_NE(writer, kInvalidFileHandle);
    uint32_t written = 0;
    ASSERT_TRUE(files.writeFile(writer, "whole", 5, &written));
    EXPECT_TRUE(files.flushFileBuffers(writer));
    files.closeHandle(writer);
    opened.erase(opened.begin());
    EXPECT_EQ(readBack("flushed.bin"), "whole");

    FileHandle reader = openForRead("flushed.bin");
    ASSERT_NE(reader, kInvalidFileHandle);
    EXPECT_FALSE(files.flushFileBuffers(reader));
}

// Which two names are one file: the updater keeps one backup per file by the backend's key, so
// a key shared by names the system keeps apart would skip a backup and lose the old file.
// Whatever the backend's rule, its key must tell it: the second name reads the first one's file
// exactly when the two keys are equal, and when the two identities are. The overlay keeps
// Windows' rule on every host.
TEST_P(FilesContract, TwoNamesShareAKeyExactlyWhenTheyOpenOneFile) {
    int twin = 0;
    for (const contract::NameTwins& twins : contract::kNameTwins) {
        testing_support::ScratchFolder pair;
        files.createDirectory((pair / "dir").c_str());
        std::string first = pair / twins.first, second = pair / twins.second, content = "twin " + std::to_string(++twin);
        FileHandle writer = files.createFile(first.c_str(), kGenericWrite, kFileShareWrite, kCreateAlways);
        ASSERT_NE(writer, kInvalidFileHandle) << twins.why;
        uint32_t written = 0;
        FileIdentity writtenAs, readAs;
        files.writeFile(writer, content.data(), static_cast<uint32_t>(content.size()), &written);
        files.getFileInformationByHandle(writer, &writtenAs);
        files.closeHandle(writer);
        FileHandle reader = files.createFile(second.c_str(), kGenericRead, kFileShareRead, kOpenExisting);
        char buffer[32];
        uint32_t got = 0;
        if (reader != kInvalidFileHandle) {
            files.readFile(reader, buffer, sizeof buffer, &got);
            files.getFileInformationByHandle(reader, &readAs);
            files.closeHandle(reader);
        }
        bool oneFile = std::string(buffer, got) == content;
        EXPECT_EQ(files.fileKeyOf(first.c_str()) == files.fileKeyOf(second.c_str()), oneFile)
            << twins.why << ": " << files.fileKeyOf(first.c_str()) << " / " << files.fileKeyOf(second.c_str());
        // The identity is the system's own answer, whatever the key's rule.
        EXPECT_EQ(reader != kInvalidFileHandle && writtenAs == readAs, oneFile) << twins.why;
        if (overlay) EXPECT_EQ(oneFile, twins.oneFileOnWindows) << twins.why;
    }
}

INSTANTIATE_TEST_SUITE_P(Backends, FilesContract, ::testing::Values(Backend::System, Backend::Overlay),
                         [](const ::testing::TestParamInfo<Backend>& info) {
                             return info.param == Backend::System ? "System" : "InMemoryOverlay";
                         });

}  // namespace
