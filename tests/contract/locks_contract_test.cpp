// The support library's lock over the seam's critical sections, pinned on both backends.
#include <gtest/gtest.h>

#include <thread>

#include "support/locks.h"

namespace {

TEST(LocksContract, AHeldSectionExcludesOtherThreadsAndAdmitsItsOwnerAgain) {
    support::CCriticalSection lock;
    auto anotherThreadGetsIt = [&] {
        bool got = false;
        std::thread([&] {
            got = lock.tryEnter();
            if (got) lock.leave();
        }).join();
        return got;
    };
    {
        support::CLockGuard guard(lock);
        EXPECT_TRUE(lock.tryEnter()) << "the owner enters again";
        lock.leave();
        EXPECT_FALSE(anotherThreadGetsIt());
    }
    EXPECT_TRUE(anotherThreadGetsIt()) << "the guard left it";
}

}  // namespace
