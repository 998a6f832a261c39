// The visibility test that switches the file access statistics, pinned on both backends.
#include <gtest/gtest.h>

#include "platform/window_state.h"
#include "tests/support/scratch_window.h"

namespace {

TEST(WindowStateContract, AWindowIsVisibleOnlyWhileShown) {
    testing_support::ScratchWindow shown(true), hidden(false);
    ASSERT_NE(shown.handle(), nullptr);
    EXPECT_TRUE(platform::windowState().isWindowVisible(shown.handle()));
    EXPECT_FALSE(platform::windowState().isWindowVisible(hidden.handle()));
}

}  // namespace
