#include <iostream>

#include "tools/patchkit/commands.h"
#include "tools/patchkit/console.h"

int main(int argc, char** argv) {
    patchkit::prepareStandardStreams();
    return patchkit::runPatchkit(patchkit::commandLineArguments(argc, argv), std::cout, std::cerr, patchkit::standardErrorIsTerminal());
}
