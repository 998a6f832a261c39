#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "tests/e2e/harness/fixtures.h"
#include "tests/e2e/harness/session.h"

namespace e2e {

// The base of every end-to-end case: a session with its own prefix, an installation and an
// update package in it, nothing written yet. A case arranges what it needs, starts the
// updater and watches it through the probe.
class UpdaterCase : public ::testing::Test {
protected:
    // Japanese names throughout, with 0x5C trail bytes (ソ, 表) in the folder names, so that
    // every text and path crosses Wine in code page 932.
    static constexpr const char* kInstallFolder = "C:\\ゲーム\\表計算ソフト\\";
    static constexpr const char* kUpdateFolder = "C:\\ソフト更新\\";
    static constexpr const char* kRegistryKey = "Software\\テスト工房\\表計算ソフト";
    static constexpr const char* kRegistryValue = "インストール先";

    void SetUp() override;
    void TearDown() override;

    Session& session() { return *session_; }
    wine_driver::Probe& probe() { return session_->probe(); }
    Installation& installation() { return *installation_; }
    UpdatePackage& update() { return *update_; }

    // The update's texts for a whole run (title and product 表計算ソフト, no note), and its
    // registry key and value: those of the installation.
    void aimUpdateAtInstallation();

    // Starts Update.exe from the update folder with the given command-line arguments (and
    // environment, as Session::start takes it); the probe watches its windows from then on.
    std::unique_ptr<wine_driver::WineProgram> startUpdater(const std::vector<std::string>& arguments = {},
                                                           const std::vector<std::string>& environment = {});

private:
    std::unique_ptr<Session> session_;
    std::unique_ptr<Installation> installation_;
    std::unique_ptr<UpdatePackage> update_;
};

// Byte-wise equality of two code page 932 texts, shown readable when they differ.
::testing::AssertionResult SameText(const char* actualExpression, const char* expectedExpression,
                                    const std::string& actual, const std::string& expected);

// A message box as the updater shows every one of its failures: the text, the caption (the
// system's default unless given), the OK button only and no icon.
void expectMessageBox(const wine_driver::Dialog& box, const std::string& text, const std::string& caption);

}  // namespace e2e
