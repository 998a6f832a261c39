// The end-to-end suite's entry point: GoogleTest, plus a screenshot at every failed
// assertion, taken while the updater's windows are still up.
#include <gtest/gtest.h>

#include <iostream>

#include "tests/e2e/harness/session.h"

namespace {

class ScreenshotOnFailure : public ::testing::EmptyTestEventListener {
    void OnTestPartResult(const ::testing::TestPartResult& result) override {
        if (!result.failed()) return;
        e2e::Session* session = e2e::Session::active();
        if (!session || !session->problem().empty()) return;
        std::string path = session->screenshot("failure");
        if (!path.empty()) std::cout << "[ picture  ] the screen at this failure: " << path << std::endl;
    }
};

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::UnitTest::GetInstance()->listeners().Append(new ScreenshotOnFailure);
    return RUN_ALL_TESTS();
}
