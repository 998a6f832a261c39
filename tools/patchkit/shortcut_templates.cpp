#include "tools/patchkit/shortcut_templates.h"

namespace patchkit {

std::string templateProblem(std::string_view cp932) {
    int strings = 0;
    for (size_t i = 0; i < cp932.size(); ++i) {
        if (cp932[i] != '%') continue;
        if (i + 1 == cp932.size()) return "ends in a lone '%'";
        char conversion = cp932[++i];
        if (conversion == '%') continue;
        if (conversion != 's') {
            bool printable = conversion > 0x20 && conversion < 0x7F;
            return printable ? std::string("holds \"%") + conversion + "\"; only \"%s\" and \"%%\" may appear"
                             : std::string("holds a '%' that is neither \"%s\" nor \"%%\"");
        }
        if (++strings > 1) return "holds more than one \"%s\"; the template gets one argument";
    }
    return {};
}

}  // namespace patchkit
