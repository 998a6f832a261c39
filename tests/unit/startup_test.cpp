// Start-up from the command line to both manifests loaded, with every failure's message.
#include <gtest/gtest.h>

#include <string>

#include "app/command_line.h"
#include "app/messages.h"
#include "engine/run_state.h"
#include "app/startup.h"
#include "platform/registry.h"
#include "tests/fakes/fixed_process.h"
#include "tests/fakes/recording_ui.h"
#include "tests/support/manifest_builder.h"
#include "tests/support/registry_fixture.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/fresh_run_state.h"

namespace {

using testing_support::entry;
using testing_support::manifestBytes;
using testing_support::setText;

const char kKey[] = "Software\\UpdaterStartupTest";
const char kValue[] = "InstallPath";
const std::string kF1 = "アップデート情報ファイルが開けませんでした";
const std::string kF2Tail = "が正常にインストールされていません\nインストール後、実行してください";

TEST(CommandLine, TheTailFollowsTheProgramNameAndItsBlanks) {
    EXPECT_EQ(app::commandLineTail("\"C:\\Update Dir\\Update.exe\" -u"), "-u");
    EXPECT_EQ(app::commandLineTail("C:\\Update\\Update.exe   \t-u"), "-u");
    EXPECT_EQ(app::commandLineTail("Update.exe -u  "), "-u  ") << "blanks at the end remain";
    EXPECT_EQ(app::commandLineTail("\"Update.exe\""), "");
    EXPECT_EQ(app::commandLineTail("\"Update.exe\"-u"), "-u");
    EXPECT_EQ(app::commandLineTail("\"unclosed -u"), "");
    EXPECT_EQ(app::commandLineTail(""), "");
}

TEST(CommandLine, OnlyTheWholeTailDashUSelectsRemoval) {
    EXPECT_TRUE(app::selectsRemovalMode("-u"));
    for (const char* tail : {"", "-U", "/u", "-u ", "-u x", " -u", "--u"}) EXPECT_FALSE(app::selectsRemovalMode(tail)) << tail;
}

TEST(Messages, TheTextsAreTheirCodePage932Bytes) {
    EXPECT_EQ(std::string(app::messages::kUpdateManifestUnreadable),
              "\x83\x41\x83\x62\x83\x76\x83\x66\x81\x5B\x83\x67\x8F\xEE\x95\xF1\x83\x74\x83\x40\x83\x43\x83\x8B\x82\xAA"
              "\x8A\x4A\x82\xAF\x82\xDC\x82\xB9\x82\xF1\x82\xC5\x82\xB5\x82\xBD");
    // "が正常に" ... and the line feed between the two sentences.
    std::string tail = app::messages::kNotInstalledSuffix;
    EXPECT_EQ(tail.substr(0, 8), "\x82\xAA\x90\xB3\x8F\xED\x82\xC9");
    EXPECT_NE(tail.find("\x82\xC4\x82\xA2\x82\xDC\x82\xB9\x82\xF1\n\x83\x43"), std::string::npos);
}

class StartUp : public ::testing::Test {
protected:
    testing_support::ScratchFolder update;
    testing_support::ScratchFolder install;
    fakes::RecordingMessageBoxes boxes;
    app::CRegistry installationKey;
    testing_support::FreshRunState runState;

    void SetUp() override { testing_support::deleteCurrentUserKey(kKey); }
    void TearDown() override { testing_support::deleteCurrentUserKey(kKey); }

    manifest::UpdateHeader header(uint32_t entryCount = 0) {
        manifest::UpdateHeader h = testing_support::updateHeader(kKey, kValue, entryCount);
        setText(h.productName, "製品");
        return h;
    }
    void writeUpdate(const manifest::UpdateHeader& h, const std::vector<manifest::ManifestEntry>& entries = {}) {
        update.writeBytes("Updateinf.dat", manifestBytes(h, entries));
    }
    void writeInstallation(uint32_t entryCount = 0) {
        manifest::UninstallHeader h{};
        h.entryCount = entryCount;
        std::vector<manifest::ManifestEntry> entries;
        for (uint32_t i = 0; i < entryCount; ++i) entries.push_back(entry("file" + std::to_string(i), 1));
        install.writeBytes("Uninstallinf.dat", manifestBytes(h, entries));
    }
    void registerInstallation(const std::string& data) {
        ASSERT_TRUE(testing_support::writeCurrentUserValue(kKey, kValue, platform::kRegSz, data.data(), static_cast<uint32_t>(data.size())));
    }
    void registerInstallFolder() { registerInstallation(install.path() + std::string(1, '\0')); }
    // An installation in a folder whose path, closing backslash included, is `length` bytes.
    std::string installationOfLength(size_t length) {
        std::string relative;
        size_t room = length - install.path().size();
        for (; room > 120; room -= 100) relative += std::string(99, 'd') + "\\";
        relative += std::string(room - 1, 'e') + "\\";
        install.makeFolder(relative);
        install.writeBytes(relative + "Uninstallinf.dat", manifestBytes(manifest::UninstallHeader{}, {}));
        return install.path() + relative;
    }

    bool run(const std::string& commandLine = "\"Update.exe\"") {
        fakes::FixedProcess process(update / "Update.exe", commandLine);
        return app::startUp(commandLine.c_str(), installationKey);
    }
    void expectOnlyMessage(const std::string& text) {
        ASSERT_EQ(boxes.boxes.size(), 1u);
        EXPECT_EQ(boxes.boxes[0].text, text);
        EXPECT_FALSE(boxes.boxes[0].hasCaption) << "the system's default caption";
        EXPECT_EQ(boxes.boxes[0].type, 0u) << "OK only, no icon";
    }
    std::string f2() const { return "製品" + kF2Tail; }
};

TEST_F(StartUp, FindsBothManifestsAndLeavesRoomForTheUpdatesEntries) {
    writeUpdate(header(2), {entry("a.txt", 1), entry("b.txt", 2)});
    writeInstallation(3);
    registerInstallFolder();
    ASSERT_TRUE(run());
    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_FALSE(engine::runState().RemovalMode);
    EXPECT_EQ(engine::runState().UpdateFolder, update.path());
    EXPECT_EQ(engine::runState().installationValue, install.path());
    EXPECT_EQ(engine::runState().uninstallManifestPath, install.path() + "Uninstallinf.dat");
    EXPECT_EQ(engine::runState().updateManifest.header.entryCount, 2u);
    EXPECT_EQ(engine::runState().uninstallManifest.capacity(), 5u);
}

TEST_F(StartUp, DashUSelectsRemovalAndAnEmptyUpdateIsAccepted) {
    writeUpdate(header(0));
    writeInstallation(0);
    registerInstallFolder();
    ASSERT_TRUE(run("\"Update.exe\" -u"));
    EXPECT_TRUE(engine::runState().RemovalMode);
}

TEST_F(StartUp, NoUpdateManifestGivesTheUnreadableUpdateMessage) {
    EXPECT_FALSE(run());
    expectOnlyMessage(kF1);
}

TEST_F(StartUp, ARefusedUpdateManifestGivesTheSameMessage) {
    update.writeBytes("Updateinf.dat", "too short");
    EXPECT_FALSE(run());
    expectOnlyMessage(kF1);
}

TEST_F(StartUp, AModulePathThatDoesNotFitIsRefusedEvenWhereItsCutPathWouldLead) {
    // Cut at its 520-byte buffer, the path would name a file in the update folder, beside a
    // loadable update whose installation is registered and in place.
    writeUpdate(header());
    writeInstallation();
    registerInstallFolder();
    std::string longPath = update.path() + std::string(600, 'a') + "\\Update.exe";
    fakes::FixedProcess process(longPath, "\"Update.exe\"");
    EXPECT_FALSE(app::startUp("\"Update.exe\"", installationKey));
    expectOnlyMessage(kF1);
}

TEST_F(StartUp, AMissingKeyAMissingValueAndAMissingRecordGiveOneMessage) {
    writeUpdate(header());
    EXPECT_FALSE(run());
    expectOnlyMessage(f2());

    boxes.boxes.clear();
    testing_support::writeCurrentUserValue(kKey, "Other", platform::kRegSz, "x", 2);
    EXPECT_FALSE(run());
    expectOnlyMessage(f2());

    boxes.boxes.clear();
    registerInstallFolder();
    EXPECT_FALSE(run());
    expectOnlyMessage(f2());
}

TEST_F(StartUp, AKeyTheUserMayOnlyReadIsNotAnInstallationToUpdate) {
    writeUpdate(header());
    writeInstallation();
    registerInstallFolder();
    ASSERT_TRUE(testing_support::setCurrentUserKeyReadOnly(kKey, true));
    EXPECT_FALSE(run());
    expectOnlyMessage(f2());
}

TEST_F(StartUp, AFolderWithoutItsBackslashNamesAManifestThatIsNotThere) {
    writeUpdate(header());
    writeInstallation();
    std::string folder = install.path();
    folder.pop_back();
    registerInstallation(folder + std::string(1, '\0'));
    EXPECT_FALSE(run());
    EXPECT_EQ(engine::runState().uninstallManifestPath, folder + "Uninstallinf.dat");
    expectOnlyMessage(f2());
}

TEST_F(StartUp, RegistryDataWithoutTerminatorIsRefused) {
    writeUpdate(header());
    writeInstallation();
    registerInstallation(install.path());  // no NUL among the bytes delivered
    EXPECT_FALSE(run());
    expectOnlyMessage(f2());
}

TEST_F(StartUp, TheInstallationValueMustLeaveRoomForTheRecordsNameInTheSystemsPath) {
    writeUpdate(header());
    // 243 bytes + "Uninstallinf.dat" + NUL fill the 260 bytes exactly; both installations
    // are real, so only the length can refuse the second.
    for (size_t length : {243u, 244u}) {
        SCOPED_TRACE(length);
        std::string folder = installationOfLength(length);
        registerInstallation(folder + std::string(1, '\0'));
        boxes.boxes.clear();
        runState.startOver();
        if (length == 243) {
            EXPECT_TRUE(run());
            EXPECT_TRUE(boxes.boxes.empty());
            EXPECT_EQ(engine::runState().uninstallManifestPath, folder + "Uninstallinf.dat");
        } else {
            EXPECT_FALSE(run());
            expectOnlyMessage(f2());
        }
    }
}

TEST_F(StartUp, ARefusedRecordGivesTheNotInstalledMessage) {
    writeUpdate(header());
    install.writeBytes("Uninstallinf.dat", std::string(10, '\0'));
    registerInstallFolder();
    EXPECT_FALSE(run());
    expectOnlyMessage(f2());
}

TEST_F(StartUp, AnEmptyProductNameLeavesTheFixedTextAlone) {
    manifest::UpdateHeader h = header();
    setText(h.productName, "");
    writeUpdate(h);
    EXPECT_FALSE(run());
    expectOnlyMessage(kF2Tail);
}

TEST_F(StartUp, TheUpdateFolderIsFoundThroughATrailByte5C) {
    update.makeFolder("\x95\x5C");
    std::string folder = update.path() + "\x95\x5C" + "\\";
    update.writeBytes("\x95\x5C\\Updateinf.dat", manifestBytes(header(), {}));
    writeInstallation();
    registerInstallFolder();
    fakes::FixedProcess process(folder + "Update.exe", "\"Update.exe\"");
    ASSERT_TRUE(app::startUp("\"Update.exe\"", installationKey));
    EXPECT_EQ(engine::runState().UpdateFolder, folder);
}

}  // namespace
