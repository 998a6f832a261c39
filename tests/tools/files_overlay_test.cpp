#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/tools/host_tree.h"
#include "tools/overlay/files_overlay.h"
#include "tools/patchkit/host_paths.h"

namespace {

using namespace platform;

// Memory stays bounded however large the payload: past the limits a file keeps only its size
// and digest, the files written longest ago first, so the last written keeps its bytes.
TEST(FilesOverlayTest, LargeContentKeepsItsDigestAndTheLatestFilesKeepTheirBytes) {
    patchkit_testing::HostTree tree;
    std::string folder, why;
    ASSERT_TRUE(patchkit::filePathOf(tree.path(), folder, why));
    overlay::FilesOverlay files(platform::files(), overlay::Limits{256 << 10, 384 << 10, true});
    auto write = [&](const std::string& name, const std::string& bytes) {
        FileHandle file = files.createFile((folder + "/" + name).c_str(), kGenericWrite, kFileShareWrite, kCreateAlways);
        for (size_t at = 0; at < bytes.size(); at += 100000) {
            uint32_t written = 0;
            std::string chunk = bytes.substr(at, 100000);
            files.writeFile(file, chunk.data(), static_cast<uint32_t>(chunk.size()), &written);
        }
        files.closeHandle(file);
    };
    std::string large(1 << 20, '\0'), older(200 << 10, 'o'), newer(200 << 10, 'n');
    for (size_t i = 0; i < large.size(); ++i) large[i] = static_cast<char>(i * 7 % 251);
    write("large.bin", large);
    std::string bytes;
    EXPECT_FALSE(files.contentOf(folder + "/large.bin", bytes)) << "too long to keep, though the latest";
    write("abc.txt", "abc");
    write("older.bin", older);
    write("newer.bin", newer);
    tree.write("on-disk.bin", large);

    EXPECT_FALSE(files.contentOf(folder + "/older.bin", bytes));
    ASSERT_TRUE(files.contentOf(folder + "/newer.bin", bytes));
    EXPECT_TRUE(bytes == newer);
    EXPECT_LE(files.keptBytes(), 384u << 10);

    std::vector<overlay::TreeItem> items;
    ASSERT_TRUE(files.tree(folder, items));
    ASSERT_EQ(items.size(), 5u);
    EXPECT_EQ(items[0].name, "abc.txt");
    EXPECT_EQ(items[0].digest, "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(items[1].name, "large.bin");
    EXPECT_EQ(items[1].size, large.size());
    EXPECT_EQ(items[1].digest, items[4].digest) << "the digest kept is that of the bytes written";
    EXPECT_EQ(items[4].name, "on-disk.bin");
    EXPECT_FALSE(tree.exists("large.bin")) << "nothing reaches the disk";
}

}  // namespace
