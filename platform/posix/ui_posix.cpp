#include <cstdio>
#include <string>

#include "platform/text_encoding.h"
#include "platform/ui.h"

namespace platform {
namespace {

// The terminal stands in for the screen: a message box is its caption and its text on
// standard error, in UTF-8.
std::string forTerminal(const char* cp932) {
    std::string utf8;
    return cp932ToUtf8(cp932, utf8) ? utf8 : std::string(cp932);
}

class PosixUi final : public Ui {
public:
    int messageBox(const char* text, const char* caption, uint32_t) override {
        // Windows' default caption for a box without one.
        std::string title = caption ? forTerminal(caption) : "Error";
        std::fprintf(stderr, "[%s]\n%s\n", title.c_str(), forTerminal(text).c_str());
        std::fflush(stderr);
        return 1;
    }
};

}  // namespace

Ui& systemUi() {
    static PosixUi instance;
    return instance;
}

}  // namespace platform
