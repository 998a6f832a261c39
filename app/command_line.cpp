#include "app/command_line.h"

namespace app {

std::string commandLineTail(const char* commandLine) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(commandLine ? commandLine : "");
    if (*p == '"') {
        // A quoted program name runs to the closing quote; an unclosed one takes everything.
        ++p;
        while (*p && *p != '"') ++p;
        if (*p == '"') ++p;
    } else {
        while (*p > ' ') ++p;
    }
    while (*p && *p <= ' ') ++p;
    return reinterpret_cast<const char*>(p);
}

bool selectsRemovalMode(const std::string& tail) { return tail == "-u"; }

}  // namespace app
