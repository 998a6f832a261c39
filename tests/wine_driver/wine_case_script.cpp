#include "tests/wine_driver/wine_case_script.h"

namespace wine_driver {

std::vector<std::string> wineCaseCommand(const std::vector<std::string>& arguments) {
    std::vector<std::string> command{"bash", std::string(UPDATER_WINE_DRIVER_SCRIPTS) + "/wine-case.sh"};
    command.insert(command.end(), arguments.begin(), arguments.end());
    return command;
}

}  // namespace wine_driver
