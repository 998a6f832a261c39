#pragma once

#include <string>
#include <vector>

// The console of a command-line program (the vendors' tool; the updater has none): its
// arguments in UTF-8 and its standard streams.
namespace platform {

// The arguments after the program name, in UTF-8 whatever the system's code page:
// CommandLineToArgvW(GetCommandLineW()), each converted with WideCharToMultiByte(CP_UTF8).
// The runtime's argv would be in the ANSI code page and would have lost what that page cannot
// hold. The native build's arguments are UTF-8 already and are taken as given.
std::vector<std::string> utf8Arguments(int argc, char** argv);

// _setmode(_O_BINARY) on standard output and error, so that "\n" stays one byte, and
// SetConsoleOutputCP(CP_UTF8) on a console, which gets its own code page back at exit.
// Nothing to do on the native build.
void useUtf8StandardStreams();

// _isatty(_fileno(stderr)).
bool standardErrorIsTerminal();

}  // namespace platform
