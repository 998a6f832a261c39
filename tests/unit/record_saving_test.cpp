// The installation's record is replaced whole or not at all: the uninstaller must never find
// it partial or empty.
#include <gtest/gtest.h>

#include <string>

#include "manifest/manifests.h"
#include "support/file.h"
#include "tests/fakes/recording_files.h"
#include "tests/support/manifest_builder.h"
#include "tests/support/scratch_folder.h"

namespace {

using testing_support::entry;
using testing_support::manifestBytes;

class RecordSaving : public ::testing::Test {
protected:
    testing_support::ScratchFolder folder;
    std::string before;
    manifest::UninstallManifest record;

    void SetUp() override {
        manifest::UninstallHeader header{};
        header.entryCount = header.fileCount = 1;
        header.totalBytes = 5;
        before = manifestBytes(header, {entry("a.txt", 5)});
        folder.writeBytes("Uninstallinf.dat", before);
        ASSERT_EQ(manifest::loadUninstallManifest(folder / "Uninstallinf.dat", 1, record), manifest::LoadResult::Loaded);
        record.appendEntry(entry("b.txt", 6));
    }

    void save() { manifest::saveUninstallManifest(folder / "Uninstallinf.dat", record); }
};

TEST_F(RecordSaving, TheWholeNewRecordTakesTheOldOnesPlaceAndNothingStaysBeside) {
    save();
    EXPECT_EQ(folder.readBytes("Uninstallinf.dat"), manifestBytes(record.header, {entry("a.txt", 5), entry("b.txt", 6)}));
    EXPECT_FALSE(folder.exists("Uninstallinf.~1"));
}

// What a save killed midway leaves beside the record, a file or a folder, is passed over and
// kept: the next save takes the next name.
TEST_F(RecordSaving, ALeftOverTemporaryFileDoesNotStopTheNextSave) {
    folder.writeBytes("Uninstallinf.~1", "left by a killed save");
    folder.makeFolder("Uninstallinf.~2");
    save();
    EXPECT_EQ(folder.readBytes("Uninstallinf.dat"), manifestBytes(record.header, {entry("a.txt", 5), entry("b.txt", 6)}));
    EXPECT_EQ(folder.readBytes("Uninstallinf.~1"), "left by a killed save");
    EXPECT_FALSE(folder.exists("Uninstallinf.~3"));
}

TEST_F(RecordSaving, AStepThatFailsLeavesTheOldRecordByteForByte) {
    struct Failure {
        const char* call;
        int nth;
    };
    // Open, header, entries, a short write (a disk that filled up), flush, attributes, move.
    for (Failure failure : {Failure{"createFile", 1}, {"writeFile", 1}, {"writeFile", 2}, {"short write", 0},
                            {"flushFileBuffers", 1}, {"setFileAttributes", 1}, {"moveFileReplace", 1}}) {
        SCOPED_TRACE(std::string(failure.call) + " " + std::to_string(failure.nth));
        folder.writeBytes("Uninstallinf.dat", before);
        fakes::RecordingFiles files;
        if (failure.nth) {
            files.failCall(failure.call, failure.nth);
        } else {
            files.limitWrites(100);
        }
        save();
        EXPECT_EQ(folder.readBytes("Uninstallinf.dat"), before);
        EXPECT_FALSE(folder.exists("Uninstallinf.~1"));
    }
}

TEST_F(RecordSaving, AReadOnlyRecordStaysAsItWasEvenWhereAMoveWouldReplaceIt) {
    folder.makeReadOnly("Uninstallinf.dat");
    fakes::RecordingFiles files;
    files.moveOntoReadOnlyAsWine();
    save();
    EXPECT_EQ(folder.readBytes("Uninstallinf.dat"), before);
    EXPECT_FALSE(folder.exists("Uninstallinf.~1"));
}

TEST_F(RecordSaving, ARecordHeldOpenElsewhereStaysAsItWas) {
    support::CFile reader;
    ASSERT_TRUE(reader.open(folder / "Uninstallinf.dat", support::FileOpenMode::Read));
    save();
    reader.close();
    EXPECT_EQ(folder.readBytes("Uninstallinf.dat"), before);
    EXPECT_FALSE(folder.exists("Uninstallinf.~1"));
}

}  // namespace
