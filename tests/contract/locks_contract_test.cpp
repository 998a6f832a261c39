// The support library's lock over the seam's critical sections, and the visibility test of
// the diagnostic windows, pinned on both backends.
#include <gtest/gtest.h>

#include <thread>

#include "platform/window_state.h"
#include "support/locks.h"
#include "tests/support/scratch_window.h"

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

TEST(WindowStateContract, AWindowIsVisibleOnlyWhileShown) {
    testing_support::ScratchWindow shown(true), hidden(false);
    EXPECT_TRUE(platform::windowState().isWindowVisible(shown.handle()));
    EXPECT_FALSE(platform::windowState().isWindowVisible(hidden.handle()));
}

}  // namespace
