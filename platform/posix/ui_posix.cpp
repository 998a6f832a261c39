#include <cstdio>
#include <string>

#include "platform/text_encoding.h"
#include "platform/ui.h"

namespace platform {
namespace {

// The terminal stands in for the screen: a message box is its caption and its text on
// standard error, in UTF-8.
class PosixUi final : public Ui {
public:
    int messageBox(const char* text, const char* caption, uint32_t) override {
        // Windows' default caption for a box without one.
        std::string title = caption ? utf8OrRawBytes(caption) : "Error";
        std::fprintf(stderr, "[%s]\n%s\n", title.c_str(), utf8OrRawBytes(text).c_str());
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
