// The access-statistics hook of every CFile transfer, switched by the diagnostic window of
// FileStatisticsSlot.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/critical_sections.h"
#include "platform/seam.h"
#include "support/diagnostic_windows.h"
#include "support/file.h"
#include "support/file_statistics.h"
#include "tests/support/diagnostic_window_registration.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/scratch_window.h"

namespace {

using support::CFile;
using support::FileOpenMode;
using support::FileStatistics;

// Counts the critical sections entered and the visibility questions asked, passing both on.
class CountingSystem final : public platform::CriticalSections, public platform::WindowState {
public:
    CountingSystem() : locks_(platform::criticalSections()), windows_(platform::windowState()), lockScope_(*this), windowScope_(*this) {}
    int entered = 0;
    int asked = 0;

    void initializeCriticalSection(platform::CriticalSectionStorage& s) override { locks_.initializeCriticalSection(s); }
    void deleteCriticalSection(platform::CriticalSectionStorage& s) override { locks_.deleteCriticalSection(s); }
    bool tryEnterCriticalSection(platform::CriticalSectionStorage& s) override { return ++entered, locks_.tryEnterCriticalSection(s); }
    void enterCriticalSection(platform::CriticalSectionStorage& s) override { ++entered, locks_.enterCriticalSection(s); }
    void leaveCriticalSection(platform::CriticalSectionStorage& s) override { locks_.leaveCriticalSection(s); }
    bool isWindowVisible(platform::WindowHandle window) override { return ++asked, windows_.isWindowVisible(window); }

private:
    platform::CriticalSections& locks_;
    platform::WindowState& windows_;
    platform::ScopedService<platform::CriticalSections> lockScope_;
    platform::ScopedService<platform::WindowState> windowScope_;
};

class FileStatisticsTest : public ::testing::Test {
protected:
    testing_support::ScratchFolder a, b;
    FileStatistics readBefore = support::readStatistics, writeBefore = support::writeStatistics;

    void SetUp() override {
        a.writeBytes("data.bin", std::string(10, 'a'));
        a.writeBytes("Data.bin", std::string(10, 'A'));
        b.writeBytes("data.bin", std::string(10, 'b'));
    }
    static uint32_t read(const std::string& path, uint32_t count) {
        CFile file;
        char buffer[100];
        file.open(path, FileOpenMode::Read);
        return file.read(buffer, count);
    }
    static uint64_t added(const FileStatistics& now, const FileStatistics& before, const std::string& name) {
        auto at = [&](const FileStatistics& m) { return m.count(name) ? m.at(name) : 0; };
        return at(now) - at(before);
    }
};

TEST_F(FileStatisticsTest, WithoutAVisibleStatisticsWindowNothingIsCountedAndNoLockIsTaken) {
    testing_support::ScratchWindow visible(true), hidden(false);
    support::DiagnosticWindow otherSlotWindow{visible.handle()}, hiddenWindow{hidden.handle()};
    for (int row = 0; row < 3; ++row) {
        std::unique_ptr<support::DiagnosticWindowRegistration> registration;
        if (row == 1) registration = std::make_unique<support::DiagnosticWindowRegistration>(3, otherSlotWindow);
        if (row == 2) registration = std::make_unique<support::DiagnosticWindowRegistration>(support::FileStatisticsSlot, hiddenWindow);
        CountingSystem system;
        read(a / "data.bin", 10);
        CFile out;
        out.open(b / "out.bin", FileOpenMode::Write);
        out.write("xyz", 3);
        EXPECT_EQ(support::readStatistics, readBefore) << row;
        EXPECT_EQ(support::writeStatistics, writeBefore) << row;
        EXPECT_EQ(system.entered, 0) << row;
        EXPECT_EQ(system.asked, row == 2 ? 2 : 0) << "an empty slot asks the system nothing; row " << row;
    }
}

TEST_F(FileStatisticsTest, WhileTheWindowIsVisibleTheRequestedBytesAddUpPerExactName) {
    testing_support::ScratchWindow window(true);
    support::DiagnosticWindow statisticsWindow{window.handle()};
    support::DiagnosticWindowRegistration registration(support::FileStatisticsSlot, statisticsWindow);
    CountingSystem system;
    EXPECT_EQ(read(a / "data.bin", 10), 10u);
    EXPECT_EQ(read(b / "data.bin", 20), 10u) << "20 asked, 10 there";
    EXPECT_EQ(read(a / "Data.bin", 100), 10u);
    CFile out;
    out.open(b / "data.bin", FileOpenMode::Write);
    out.write("12345", 5);
    EXPECT_EQ(added(support::readStatistics, readBefore, "data.bin"), 30u);
    EXPECT_EQ(added(support::readStatistics, readBefore, "Data.bin"), 100u);
    EXPECT_EQ(added(support::writeStatistics, writeBefore, "data.bin"), 5u);
    EXPECT_EQ(added(support::writeStatistics, writeBefore, "Data.bin"), 0u);
    EXPECT_EQ(system.entered, 4);
}

TEST(DiagnosticWindowRegistry, ANegativeIndexAsksForAnyVisibleWindow) {
    testing_support::ScratchWindow visible(true), hidden(false);
    support::DiagnosticWindow shown{visible.handle()}, notShown{hidden.handle()};
    const support::DiagnosticWindowRegistry& registry = support::diagnosticWindowRegistry();
    support::DiagnosticWindowRegistration hiddenAt0(0, notShown);
    EXPECT_FALSE(registry.isWindowVisible(-1));
    EXPECT_FALSE(registry.isWindowVisible(0));
    support::DiagnosticWindowRegistration shownAt11(11, shown);
    EXPECT_TRUE(registry.isWindowVisible(-1));
    EXPECT_TRUE(registry.isWindowVisible(11));
    EXPECT_FALSE(registry.isWindowVisible(10));
    EXPECT_FALSE(registry.isWindowVisible(12)) << "past the last slot";
}

}  // namespace
