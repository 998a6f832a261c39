// An update onto a disk that fills up midway. Where the test may mount (as root, as on the CI
// machines), the installation folder is a small tmpfs of its own; elsewhere the files service
// stores only part of each write, as a full disk does. The write fails with its message, the
// rollback puts every old file back, and the record saved afterwards loads whole.
#include <gtest/gtest.h>
#include <sys/mount.h>

#include <cstring>
#include <iostream>
#include <optional>

#include "engine/rollback.h"
#include "manifest/manifests.h"
#include "tests/fakes/recording_files.h"
#include "tests/unit/engine_run.h"

namespace {

using testing_support::entry;
using testing_support::EngineRun;

constexpr uint64_t kDiskBytes = 256 * 1024;

// A tmpfs of kDiskBytes over a folder while the object lives.
class SmallDisk {
public:
    explicit SmallDisk(const std::string& hostFolder) : folder_(hostFolder) {
        std::string options = "size=" + std::to_string(kDiskBytes) + ",mode=0777";
        mounted_ = ::mount("tmpfs", folder_.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, options.c_str()) == 0;
    }
    ~SmallDisk() {
        if (mounted_) ::umount2(folder_.c_str(), MNT_DETACH);
    }
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;
    bool mounted() const { return mounted_; }

private:
    std::string folder_;
    bool mounted_ = false;
};

TEST(DiskFull, TheWriteFailsTheRollbackRestoresEveryOldFileAndTheRecordLoadsWhole) {
    EngineRun run({entry("a.txt", 3), entry("big.bin", 4 * kDiskBytes), entry("b.txt", 3)},
                  {entry("a.txt", 3), entry("b.txt", 3)});
    SmallDisk disk(run.host(run.install));
    std::optional<fakes::RecordingFiles> shortWrites;
    if (!disk.mounted()) {
        std::cout << "[ note     ] cannot mount a tmpfs here (" << std::strerror(errno)
                  << "): the files service's short writes stand in for the full disk" << std::endl;
        shortWrites.emplace();
        shortWrites->limitWrites(4096);
    }
    run.folder.writeBytes("install\\a.txt", "old");
    run.folder.writeBytes("install\\b.txt", "old");
    run.folder.writeBytes("data\\a.txt", "new");
    run.folder.writeBytes("data\\b.txt", "new");
    run.payloadOfSize("big.bin", 4 * kDiskBytes);

    EXPECT_FALSE(run.apply());
    ASSERT_EQ(run.boxes.boxes.size(), 1u);
    EXPECT_EQ(run.boxes.boxes[0].text, run.install + "big.bin" + "の書き込みに失敗しました");
    engine::rollbackChanges();
    EXPECT_EQ(run.installedFiles(), (std::map<std::string, std::string>{{"a.txt", "old"}, {"b.txt", "old"}}));

    // The disk has room again once the partial file is gone; the record goes back whole.
    if (shortWrites) shortWrites->limitWrites(UINT32_MAX);
    const manifest::UninstallManifest& record = engine::runState().uninstallManifest;
    std::string recordPath = run.install + "Uninstallinf.dat";
    manifest::saveUninstallManifest(recordPath, record);
    manifest::UninstallManifest saved;
    ASSERT_EQ(manifest::loadUninstallManifest(recordPath, 0, saved), manifest::LoadResult::Loaded);
    EXPECT_EQ(std::memcmp(&saved.header, &record.header, sizeof record.header), 0);
    EXPECT_EQ(EngineRun::recordEntries().size(), saved.header.entryCount);
}

}  // namespace
