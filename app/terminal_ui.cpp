#include "app/terminal_ui.h"

#include <unistd.h>

#include <cerrno>

#include "app/confirmation_texts.h"
#include "app/progress_cancel.h"
#include "engine/run_state.h"
#include "platform/text.h"
#include "platform/text_encoding.h"

namespace app {
namespace {

// A Ctrl-C waiting to be "dispatched" by the next pump.
volatile sig_atomic_t interruptPending = 0;

extern "C" void onInterrupt(int) { interruptPending = 1; }

std::string_view trimmed(std::string_view text) {
    const char* blanks = " \t\r";
    size_t first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

// What the OK and Cancel buttons stand for here; the button captions are accepted as typed.
constexpr const char* kOkWords[] = {"ok", "o", "y", "yes"};
constexpr const char* kCancelWords[] = {"cancel", "c", "n", "no", u8"ｷｬﾝｾﾙ", u8"キャンセル"};

constexpr const char kPrompt[] = u8"[OK/ｷｬﾝｾﾙ] ";
constexpr const char kCancelButton[] = u8"ｷｬﾝｾﾙ";
constexpr const char kProgressCaption[] = "アップデート中";

}  // namespace

ConfirmationAnswer parseConfirmationAnswer(std::string_view utf8Line) {
    std::string_view answer = trimmed(utf8Line);
    if (answer.empty()) return ConfirmationAnswer::Ok;
    for (const char* word : kOkWords) {
        if (platform::equalsIgnoringAsciiCase(answer, word)) return ConfirmationAnswer::Ok;
    }
    for (const char* word : kCancelWords) {
        if (platform::equalsIgnoringAsciiCase(answer, word)) return ConfirmationAnswer::Cancel;
    }
    return ConfirmationAnswer::Unclear;
}

TerminalUi::TerminalUi(int input, std::FILE* output)
    : input_(input), output_(output), outputIsTerminal_(isatty(fileno(output)) == 1) {}

int TerminalUi::runConfirmation() {
    ConfirmationTexts texts = confirmationTexts(engine::runState().updateManifest.header, engine::runState().RemovalMode);
    std::fprintf(output_, "[%s]\n%s\n%s\n%s\n", platform::utf8OrRawBytes(texts.caption.c_str()).c_str(),
                 platform::utf8OrRawBytes(texts.message.c_str()).c_str(), platform::utf8OrRawBytes(kConfirmationQuestion).c_str(),
                 platform::utf8OrRawBytes(texts.note.c_str()).c_str());
    if (isatty(input_) != 1) {
        std::fprintf(output_, "%s%s (standard input is not a terminal)\n", kPrompt, kCancelButton);
        std::fflush(output_);
        return 0;
    }
    for (;;) {
        std::fputs(kPrompt, output_);
        std::fflush(output_);
        std::string line;
        // The end of the input is the close box: Cancel.
        if (!readLine(line)) {
            std::fputc('\n', output_);
            return 0;
        }
        switch (parseConfirmationAnswer(line)) {
        case ConfirmationAnswer::Ok:
            return 1;
        case ConfirmationAnswer::Cancel:
            return 0;
        case ConfirmationAnswer::Unclear:
            break;
        }
    }
}

bool TerminalUi::readLine(std::string& utf8Line) {
    utf8Line.clear();
    for (;;) {
        char c;
        ssize_t got = read(input_, &c, 1);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return !utf8Line.empty();
        if (c == '\n') return true;
        utf8Line += c;
    }
}

ProgressDialog TerminalUi::showProgressDialog() {
    struct sigaction action {};
    action.sa_handler = progressCanBeCancelled() ? onInterrupt : SIG_IGN;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &previousInterrupt_);
    interruptPending = 0;
    progressShown_ = true;
    statusDrawn_ = false;
    status_.clear();
    percent_ = 0;
    std::fprintf(output_, "[%s]\n", platform::utf8OrRawBytes(kProgressCaption).c_str());
    std::fflush(output_);
    return this;
}

void TerminalUi::setStatusText(ProgressDialog, const char* text) {
    std::string status = platform::utf8OrRawBytes(text);
    if (statusDrawn_ && status == status_) return;
    status_ = std::move(status);
    drawStatus();
}

void TerminalUi::setProgress(ProgressDialog, uint32_t percent) {
    // The bar clamps a position to its range, 0 to 100.
    uint32_t position = percent > 100 ? 100 : percent;
    if (statusDrawn_ && position == percent_) return;
    percent_ = position;
    drawStatus();
}

void TerminalUi::drawStatus() {
    // A terminal keeps one line that is redrawn; a log gets a line for every change.
    if (outputIsTerminal_) {
        std::fprintf(output_, "\r\x1b[K%s %3u%%", status_.c_str(), static_cast<unsigned>(percent_));
    } else {
        std::fprintf(output_, "%s %3u%%\n", status_.c_str(), static_cast<unsigned>(percent_));
    }
    std::fflush(output_);
    statusDrawn_ = true;
}

bool TerminalUi::pumpOneMessage() {
    if (!interruptPending) return false;
    interruptPending = 0;
    requestCancel();
    return true;
}

void TerminalUi::destroyProgressDialog(ProgressDialog) {
    if (!progressShown_) return;
    sigaction(SIGINT, &previousInterrupt_, nullptr);
    // A press after the last pump goes with the dialog, as its queued click would.
    interruptPending = 0;
    if (outputIsTerminal_ && statusDrawn_) std::fputc('\n', output_);
    std::fflush(output_);
    progressShown_ = false;
}

UpdaterUi& systemUpdaterUi() {
    static TerminalUi instance(STDIN_FILENO, stderr);
    return instance;
}

}  // namespace app
