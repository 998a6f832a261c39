#include <fstream>

#include "platform/posix/posix_system.h"
#include "platform/text_encoding.h"
#include "tests/support/shortcut_file.h"

namespace testing_support {

ShortcutFile readShortcut(const std::string& linkPath) {
    std::ifstream in(platform::posix::hostPathOf(linkPath.c_str()));
    ShortcutFile file;
    std::string line;
    while (std::getline(in, line)) {
        size_t equals = line.find('=');
        std::string key = line.substr(0, equals), value;
        platform::utf8ToCp932(line.substr(equals + 1), value);
        if (key == "target") file.targetPath = value;
        if (key == "arguments") file.arguments = value;
        if (key == "workingDirectory") file.workingDirectory = value;
        if (key == "showCommand") file.showCommand = std::stoi(value);
        file.loaded = true;
    }
    return file;
}

}  // namespace testing_support
