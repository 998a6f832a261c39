#pragma once

#include <string>

namespace app {

// The command line without the program name (quoted or not) and without the blanks and
// control bytes that follow it; blanks at the end remain.
std::string commandLineTail(const char* commandLine);

// Only the whole tail "-u", byte for byte, selects RemovalMode.
bool selectsRemovalMode(const std::string& tail);

}  // namespace app
