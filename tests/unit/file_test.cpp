// CFile over each kind of source, with the disk reached through the seam.
#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/posix/posix_system.h"
#include "support/file.h"
#include "tests/fakes/recording_files.h"
#include "tests/support/scratch_folder.h"

namespace {

using support::CFile;
using support::FileOpenMode;
using support::FileSourceKind;

class DiskFileTest : public ::testing::Test {
protected:
    testing_support::ScratchFolder folder;
};

TEST_F(DiskFileTest, ReadingFourBytesAtATimeGivesFourFourTwoThenNothing) {
    folder.writeBytes("ten.bin", "0123456789");
    CFile file;
    ASSERT_TRUE(file.open(folder / "ten.bin", FileOpenMode::Read));
    EXPECT_EQ(file.size(), 10u);
    EXPECT_EQ(file.fileName(), "ten.bin");
    char buffer[4];
    EXPECT_EQ(file.read(buffer, 4), 4u);
    EXPECT_EQ(file.tell(), 4u);
    EXPECT_EQ(file.read(buffer, 4), 4u);
    EXPECT_EQ(file.tell(), 8u);
    EXPECT_EQ(file.read(buffer, 4), 2u);
    EXPECT_EQ(std::string(buffer, 2), "89");
    EXPECT_EQ(file.tell(), 10u);
    EXPECT_EQ(file.read(buffer, 4), 0u);
}

TEST_F(DiskFileTest, WriteModeEmptiesTheFileAndTheSizeGrowsWithEveryWrite) {
    folder.writeBytes("out.bin", "old content that goes");
    CFile file;
    ASSERT_TRUE(file.open(folder / "out.bin", FileOpenMode::Write));
    EXPECT_EQ(file.size(), 0u);
    EXPECT_EQ(file.write("abc", 3), 3u);
    EXPECT_EQ(file.size(), 3u);
    EXPECT_EQ(file.writeInt(0x01020304), 4u);
    EXPECT_EQ(file.size(), 7u);
    EXPECT_EQ(file.write("x", 0), 0u);
    file.close();
    EXPECT_EQ(folder.readBytes("out.bin"), std::string("abc\x04\x03\x02\x01", 7));
}

TEST_F(DiskFileTest, AFailedOpenOnAMissingFileLeavesTheObjectClosedAndTheOldFileReleased) {
    folder.writeBytes("first.bin", "1");
    CFile file;
    ASSERT_TRUE(file.open(folder / "first.bin", FileOpenMode::Read));
    EXPECT_FALSE(file.open(folder / "missing.bin", FileOpenMode::Read));
    EXPECT_EQ(file.sourceKind(), FileSourceKind::None);
    char byte;
    EXPECT_EQ(file.read(&byte, 1), 0u);
    EXPECT_EQ(file.tell(), 0u);
    EXPECT_EQ(file.fileName(), "first.bin") << "the name stays from the last successful open";
    // The first file is closed: a writer may now empty it, which its reader's sharing forbade.
    CFile writer;
    EXPECT_TRUE(writer.open(folder / "first.bin", FileOpenMode::Write));
}

TEST_F(DiskFileTest, ReadWriteKeepsTheContentOrCreatesTheFileAndSharesWithNobody) {
    folder.writeBytes("both.bin", "12345");
    CFile file;
    ASSERT_TRUE(file.open(folder / "both.bin", FileOpenMode::ReadWrite));
    EXPECT_EQ(file.size(), 5u);
    CFile other;
    EXPECT_FALSE(other.open(folder / "both.bin", FileOpenMode::Read));
    char buffer[5];
    EXPECT_EQ(file.read(buffer, 5), 5u);
    EXPECT_EQ(file.write("6", 1), 1u);
    EXPECT_EQ(file.size(), 6u);

    CFile created;
    EXPECT_TRUE(created.open(folder / "new.bin", FileOpenMode::ReadWrite));
    EXPECT_TRUE(folder.exists("new.bin"));
}

TEST_F(DiskFileTest, WriteStringStoresTheTextAndOneZeroByte) {
    CFile file;
    ASSERT_TRUE(file.open(folder / "strings.bin", FileOpenMode::Write));
    EXPECT_EQ(file.writeString(""), 1u);
    EXPECT_EQ(file.writeString("abc"), 4u);
    file.close();
    EXPECT_EQ(folder.readBytes("strings.bin"), std::string("\0abc\0", 5));
}

TEST_F(DiskFileTest, CopyFromMovesWhatRemainsThenNothing) {
    folder.writeBytes("source.bin", std::string(250, 's'));
    CFile source, target;
    ASSERT_TRUE(target.open(folder / "target.bin", FileOpenMode::Write));
    ASSERT_TRUE(source.open(folder / "source.bin", FileOpenMode::Read));
    EXPECT_EQ(target.copyFrom(source, 100), 100u);
    EXPECT_EQ(target.copyFrom(source, 100), 100u);
    EXPECT_EQ(target.copyFrom(source, 100), 50u);
    EXPECT_EQ(target.copyFrom(source, 100), 0u);
    EXPECT_EQ(source.tell(), 250u);
    target.close();
    EXPECT_EQ(folder.readBytes("target.bin"), std::string(250, 's'));
}

TEST_F(DiskFileTest, AFailedSystemWriteChangesNeitherSizeNorPosition) {
    fakes::RecordingFiles files;
    files.failCall("writeFile", 2);
    CFile file;
    ASSERT_TRUE(file.open(folder / "out.bin", FileOpenMode::Write));
    EXPECT_EQ(file.write("abc", 3), 3u);
    EXPECT_EQ(file.write("def", 3), 0u);
    EXPECT_EQ(file.size(), 3u);
    EXPECT_EQ(file.write("ghi", 3), 3u);
    EXPECT_EQ(file.size(), 6u);
}

TEST_F(DiskFileTest, AShortSystemWriteCountsOnlyWhatWasStored) {
    fakes::RecordingFiles files;
    files.limitWrites(2);
    CFile file;
    ASSERT_TRUE(file.open(folder / "out.bin", FileOpenMode::Write));
    EXPECT_EQ(file.write("abcdef", 6), 2u);
    EXPECT_EQ(file.size(), 2u);
}

TEST_F(DiskFileTest, AFailedSystemReadDeliversNothingAndKeepsThePosition) {
    folder.writeBytes("ten.bin", "0123456789");
    fakes::RecordingFiles files;
    files.failCall("readFile", 1);
    CFile file;
    ASSERT_TRUE(file.open(folder / "ten.bin", FileOpenMode::Read));
    char buffer[4];
    EXPECT_EQ(file.read(buffer, 4), 0u);
    EXPECT_EQ(file.read(buffer, 4), 4u);
    EXPECT_EQ(std::string(buffer, 4), "0123");
}

TEST_F(DiskFileTest, ReadersShareWithReadersAndWritersWithWriters) {
    folder.writeBytes("shared.bin", "content");
    CFile reader, secondReader, writer, secondWriter;
    ASSERT_TRUE(reader.open(folder / "shared.bin", FileOpenMode::Read));
    EXPECT_TRUE(secondReader.open(folder / "shared.bin", FileOpenMode::Read));
    EXPECT_FALSE(writer.open(folder / "shared.bin", FileOpenMode::Write));
    EXPECT_EQ(folder.readBytes("shared.bin"), "content");
    reader.close();
    secondReader.close();
    ASSERT_TRUE(writer.open(folder / "shared.bin", FileOpenMode::Write));
    EXPECT_TRUE(secondWriter.open(folder / "shared.bin", FileOpenMode::Write));
    EXPECT_FALSE(reader.open(folder / "shared.bin", FileOpenMode::Read));
}

TEST_F(DiskFileTest, ClosingTwiceIsHarmlessAndReleasesTheHandleOnce) {
    folder.writeBytes("a.bin", "a");
    fakes::RecordingFiles files;
    {
        CFile file;
        ASSERT_TRUE(file.open(folder / "a.bin", FileOpenMode::Read));
        EXPECT_TRUE(file.close());
        EXPECT_TRUE(file.close());
    }
    EXPECT_EQ(files.count("closeHandle"), 1);
}

TEST(ByteVectorFile, AWriteAtTheEndEnlargesTheVectorAndRaisesSizeAndLimit) {
    std::vector<uint8_t> bytes = {1, 2, 3};
    CFile file;
    ASSERT_TRUE(file.openByteVector(bytes));
    uint8_t skip[3];
    EXPECT_EQ(file.read(skip, 3), 3u);
    EXPECT_EQ(file.write("", 0), 0u);
    EXPECT_EQ(bytes.size(), 3u);
    EXPECT_EQ(file.write("abcde", 5), 5u);
    EXPECT_EQ(bytes.size(), 8u);
    EXPECT_EQ(file.size(), 8u);
    EXPECT_EQ(file.tell(), 8u);
    EXPECT_EQ(std::string(bytes.begin() + 3, bytes.end()), "abcde");
}

TEST(ByteVectorFile, AVectorShrunkBehindTheObjectsBackRaisesOutOfRange) {
    std::vector<uint8_t> bytes(10, 7);
    CFile file;
    ASSERT_TRUE(file.openByteVector(bytes));
    uint8_t buffer[4];
    EXPECT_EQ(file.read(buffer, 4), 4u);
    bytes.resize(2);
    EXPECT_THROW(file.read(buffer, 4), std::out_of_range);
}

TEST(MemoryBufferFile, ReadsAndWritesStayInsideTheRange) {
    uint8_t* range = new uint8_t[4]{'w', 'x', 'y', 'z'};
    CFile file;
    ASSERT_TRUE(file.openMemoryBuffer(range, 4, true));
    char buffer[8];
    EXPECT_EQ(file.read(buffer, 3), 3u);
    EXPECT_EQ(file.tell(), 3u);
    EXPECT_EQ(file.write("12", 2), 1u) << "the range never grows";
    EXPECT_EQ(range[3], '1');
    EXPECT_EQ(file.read(buffer, 8), 0u);
    // The owned range is freed by close; the sanitizers would report it otherwise.
}

TEST(MemoryBufferFile, ABorrowedRangeIsLeftToItsOwner) {
    uint8_t range[2] = {'a', 'b'};
    CFile file;
    ASSERT_TRUE(file.openMemoryBuffer(range, 2, false));
    EXPECT_TRUE(file.close());
    EXPECT_EQ(range[0], 'a');
}

TEST(ModuleResourceFile, ReadsTheResourceRefusesWritesAndFreesItOnClose) {
    platform::posix::registerResource(10, 7001, {'r', 'e', 's'});
    CFile file;
    ASSERT_TRUE(file.openModuleResource(7001, 10));
    EXPECT_EQ(platform::posix::resourceLoadCount(10, 7001), 1);
    EXPECT_EQ(file.size(), 3u);
    EXPECT_EQ(file.write("x", 1), 0u);
    EXPECT_EQ(file.tell(), 0u) << "a refused write leaves the cursor";
    char buffer[8];
    EXPECT_EQ(file.read(buffer, 8), 3u);
    EXPECT_EQ(std::string(buffer, 3), "res");
    file.close();
    EXPECT_EQ(platform::posix::resourceLoadCount(10, 7001), 0);
    EXPECT_FALSE(file.openModuleResource(7002, 10));
}

TEST(ClosedFile, EveryTransferOnANewObjectIsZero) {
    CFile file;
    char buffer[4];
    EXPECT_EQ(file.read(buffer, 4), 0u);
    EXPECT_EQ(file.write("abcd", 4), 0u);
    EXPECT_EQ(file.tell(), 0u);
    EXPECT_EQ(file.size(), 0u);
    EXPECT_EQ(file.fileName(), "");
}

}  // namespace
