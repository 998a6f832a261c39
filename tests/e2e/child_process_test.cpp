// What a program that the Wine driver starts gets from the test that starts it: standard input
// from /dev/null, its output in the two files, and no other descriptor. A Wine background
// process outlives the program it came with; one that held a pipe of the caller's would keep
// the caller (ctest, or whoever reads the benchmark's output) waiting for that pipe's end.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>

#include "tests/wine_driver/child_process.h"

namespace {

class ChildProcess : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/updater-child-process.XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        scratch_ = pattern;
    }
    void TearDown() override {
        std::error_code ignored;
        std::filesystem::remove_all(scratch_, ignored);
    }

    // A shell script run as the driver runs every program, to its end.
    wine_driver::Completed shellSays(const std::string& script) {
        return wine_driver::runToCompletion({"sh", "-c", script}, scratch_, std::chrono::seconds(10));
    }

    std::string scratch_;
};

TEST_F(ChildProcess, GetsNoDescriptorOfTheCallersButItsStandardThree) {
    // A pipe as a caller may hold one: inheritable, as pipes are unless asked otherwise.
    int held[2];
    ASSERT_EQ(::pipe(held), 0);
    wine_driver::Completed listed = shellSays("ls /proc/$$/fd");
    ::close(held[0]);
    ::close(held[1]);
    ASSERT_FALSE(listed.timedOut);
    EXPECT_EQ(listed.out, "0\n1\n2\n") << listed.err;
}

TEST_F(ChildProcess, ReadsFromDevNullAndWritesToItsTwoFiles) {
    wine_driver::Completed shown = shellSays("readlink /proc/$$/fd/0; echo to-error >&2; exit 3");
    ASSERT_FALSE(shown.timedOut);
    EXPECT_EQ(shown.exitCode, 3);
    EXPECT_EQ(shown.out, "/dev/null\n");
    EXPECT_EQ(shown.err, "to-error\n");
}

}  // namespace
