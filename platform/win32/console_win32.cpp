#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "platform/console.h"

namespace platform {
namespace {

std::string utf8Of(const wchar_t* wide) {
    int length = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    if (length <= 1) return {};
    std::string text(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide, -1, &text[0], length, nullptr, nullptr);
    text.resize(static_cast<size_t>(length - 1));
    return text;
}

UINT consoleCodePageAtStart = 0;

void restoreConsoleCodePage() { SetConsoleOutputCP(consoleCodePageAtStart); }

}  // namespace

std::vector<std::string> utf8Arguments(int, char**) {
    std::vector<std::string> arguments;
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!wide) return arguments;
    for (int i = 1; i < count; ++i) arguments.push_back(utf8Of(wide[i]));
    LocalFree(wide);
    return arguments;
}

void useUtf8StandardStreams() {
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    consoleCodePageAtStart = GetConsoleOutputCP();
    if (consoleCodePageAtStart != 0 && consoleCodePageAtStart != CP_UTF8) {
        SetConsoleOutputCP(CP_UTF8);
        std::atexit(restoreConsoleCodePage);
    }
}

bool standardErrorIsTerminal() { return _isatty(_fileno(stderr)) != 0; }

}  // namespace platform
