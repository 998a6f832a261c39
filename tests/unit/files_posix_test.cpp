// The native files backend where the host's own calls differ from machine to machine.
#include <gtest/gtest.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sys/prctl.h>
#include <sys/syscall.h>

#include <cerrno>
#include <cstddef>
#include <thread>

#include "platform/files.h"
#include "tests/support/scratch_folder.h"

namespace {

// renameat2 refused the way an old kernel (ENOSYS) or a filtering sandbox (EPERM) refuses
// it, on one thread only: a move must still replace a file and take a free name.
TEST(PosixFiles, AMoveWorksWhereRenameat2IsRefused) {
    for (int refusal : {ENOSYS, EPERM}) {
        testing_support::ScratchFolder folder;
        folder.writeBytes("new.txt", "new");
        folder.writeBytes("old.txt", "old");
        folder.writeBytes("free.txt", "free");
        bool filtered = false, replaced = false, moved = false;
        std::thread([&] {
            sock_filter filter[] = {
                BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
                BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, SYS_renameat2, 0, 1),
                BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | static_cast<unsigned>(refusal)),
                BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
            };
            sock_fprog program{static_cast<unsigned short>(sizeof filter / sizeof filter[0]), filter};
            filtered = prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0 && prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) == 0;
            if (!filtered) return;
            platform::Files& files = platform::files();
            replaced = files.moveFileReplace((folder / "new.txt").c_str(), (folder / "old.txt").c_str());
            moved = files.moveFileReplace((folder / "free.txt").c_str(), (folder / "taken.txt").c_str());
        }).join();
        if (!filtered) GTEST_SKIP() << "this host lets no thread filter its system calls";
        EXPECT_TRUE(replaced && moved) << "refused with " << refusal;
        EXPECT_EQ(folder.readBytes("old.txt"), "new");
        EXPECT_EQ(folder.readBytes("taken.txt"), "free");
    }
}

}  // namespace
