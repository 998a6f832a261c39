#include <unistd.h>

#include "tools/patchkit/console.h"

namespace patchkit {

// The host's arguments are UTF-8 already.
std::vector<std::string> commandLineArguments(int argc, char** argv) { return std::vector<std::string>(argv + 1, argv + argc); }

void prepareStandardStreams() {}

bool standardErrorIsTerminal() { return ::isatty(STDERR_FILENO) == 1; }

}  // namespace patchkit
