#pragma once

#include <string>
#include <vector>

namespace wine_driver {

// The command line of scripts/wine-case.sh with these arguments: the Wine side of a case
// prefix (its making, its user, its programs, its end), in the shell with the other scripts
// that run Wine.
std::vector<std::string> wineCaseCommand(const std::vector<std::string>& arguments);

}  // namespace wine_driver
