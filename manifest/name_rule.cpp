#include "manifest/name_rule.h"

#include "platform/text.h"
#include "platform/text_encoding.h"
#include "support/multibyte.h"

namespace manifest {
namespace {

bool isDeviceName(std::string_view component) {
    // The device is named whatever follows a dot: "nul.txt" opens NUL on Windows.
    std::string_view base = component.substr(0, component.find('.'));
    while (!base.empty() && base.back() == ' ') base.remove_suffix(1);
    for (const char* device : {"con", "prn", "aux", "nul", "conin$", "conout$"}) {
        if (platform::equalsIgnoringAsciiCase(base, device)) return true;
    }
    if (base.size() != 4 || base[3] < '1' || base[3] > '9') return false;
    return platform::equalsIgnoringAsciiCase(base.substr(0, 3), "com") || platform::equalsIgnoringAsciiCase(base.substr(0, 3), "lpt");
}

}  // namespace

std::string nameProblem(std::string_view name) {
    if (name.empty()) return "name is empty";
    std::string utf8;
    if (!platform::cp932ToUtf8(name, utf8)) return "name is not code page 932 text; the system would read it as another name";
    if (support::isPathSeparatorAt(name, 0)) return "name starts with a separator";
    // ':' and '.' are never trail bytes in code page 932, so a plain byte search finds only
    // real ones.
    if (name.find(':') != std::string_view::npos) return "name holds a ':' (drive letter or stream)";

    size_t start = 0;
    for (size_t i = 0; i <= name.size(); ++i) {
        if (i < name.size() && !support::isPathSeparatorAt(name, i)) continue;
        std::string_view component = name.substr(start, i - start);
        start = i + 1;
        // A folder's trailing separator leaves an empty last component; an empty component in
        // the middle ("a\\\\b") is harmless to the system.
        if (component.empty()) continue;
        if (component == "." || component == "..") return "name has a \".\" or \"..\" component";
        // The last byte of a component is a dot or a blank only when it is a character of its
        // own: both values are below code page 932's trail-byte range.
        if (component.back() == '.' || component.back() == ' ') return "a component of the name ends in a dot or a blank";
        if (isDeviceName(component)) return "a component of the name is a reserved device name";
    }
    return {};
}

}  // namespace manifest
