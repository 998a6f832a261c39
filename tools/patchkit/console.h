#pragma once

#include <string>
#include <vector>

// The tool's terminal: its arguments as UTF-8 and how its standard streams behave.
namespace patchkit {

// The arguments after the program name, as UTF-8 whatever the system's code page.
std::vector<std::string> commandLineArguments(int argc, char** argv);

// Output is UTF-8 with plain line feeds on every build, so that two builds print the same
// bytes for the same manifest.
void prepareStandardStreams();

// Progress is drawn only for a person watching: when standard error is a terminal.
bool standardErrorIsTerminal();

}  // namespace patchkit
