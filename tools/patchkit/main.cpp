#include <iostream>

#include "platform/console.h"
#include "tools/patchkit/commands.h"

int main(int argc, char** argv) {
    // Output is UTF-8 with plain line feeds on every build, so that two builds print the same
    // bytes for the same manifest; progress is drawn only for a person watching.
    platform::useUtf8StandardStreams();
    return patchkit::runPatchkit(platform::utf8Arguments(argc, argv), std::cout, std::cerr, platform::standardErrorIsTerminal());
}
