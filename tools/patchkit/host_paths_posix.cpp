#include "tools/patchkit/field_text.h"
#include "tools/patchkit/host_paths.h"

namespace patchkit {

// The native file layer takes product paths, code page 932 bytes with either separator, and
// maps them back to the host's UTF-8; a host path has to survive that trip.
bool filePathOf(const std::string& utf8, std::string& narrow, std::string& why) {
    if (utf8.find('\\') != std::string::npos) {
        why = "holds a backslash, which the file layer would read as a separator";
        return false;
    }
    if (!cp932Of(utf8, narrow, why)) return false;
    // A leading drive letter would send the path into the simulated drives.
    if (narrow.size() >= 2 && narrow[1] == ':') {
        narrow = "./" + narrow;
    }
    return true;
}

}  // namespace patchkit
