#include <unistd.h>

#include "platform/console.h"

namespace platform {

std::vector<std::string> utf8Arguments(int argc, char** argv) { return std::vector<std::string>(argv + 1, argv + argc); }

void useUtf8StandardStreams() {}

bool standardErrorIsTerminal() { return ::isatty(STDERR_FILENO) == 1; }

}  // namespace platform
