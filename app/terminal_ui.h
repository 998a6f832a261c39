#pragma once

#include <signal.h>
#include <cstdio>
#include <string>
#include <string_view>

#include "app/updater_ui.h"

// The native build's stand-in for the two dialogs: the confirmation is a question on the
// terminal, the progress dialog a status line with the percentage. Texts reach the terminal
// in UTF-8.
namespace app {

enum class ConfirmationAnswer { Ok, Cancel, Unclear };

// One line typed at the confirmation prompt, in UTF-8, without its line end. An empty line
// is OK, as Enter is on the dialog, whose default button OK is.
ConfirmationAnswer parseConfirmationAnswer(std::string_view utf8Line);

class TerminalUi final : public UpdaterUi {
public:
    // Answers are read from input, which must be a terminal: without one nobody can have
    // agreed, and the confirmation is Cancel. The dialogs are drawn on output.
    TerminalUi(int input, std::FILE* output);

    int runConfirmation() override;
    // Ctrl-C stands for the progress dialog's Cancel while it is up: the press waits until
    // the next pumpOneMessage, as a click waits in the message queue. In RemovalMode it is
    // ignored, as the disabled button is.
    ProgressDialog showProgressDialog() override;
    void setStatusText(ProgressDialog dialog, const char* text) override;
    void setProgress(ProgressDialog dialog, uint32_t percent) override;
    bool pumpOneMessage() override;
    void destroyProgressDialog(ProgressDialog dialog) override;

private:
    // Reads one line into utf8Line; false at the end of the input.
    bool readLine(std::string& utf8Line);
    void drawStatus();

    int input_;
    std::FILE* output_;
    bool outputIsTerminal_;
    bool progressShown_ = false;
    bool statusDrawn_ = false;
    std::string status_;  // UTF-8
    uint32_t percent_ = 0;
    struct sigaction previousInterrupt_ {};
};

}  // namespace app
