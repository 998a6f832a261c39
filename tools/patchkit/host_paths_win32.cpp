#include "platform/code_page.h"
#include "platform/text_encoding.h"
#include "tools/patchkit/host_paths.h"

namespace patchkit {

// CFile opens through CreateFileA, which reads the path in the ANSI code page. On the target
// systems that is 932; elsewhere a path with characters the code page lacks cannot be opened
// this way, and the tool says so instead of opening a look-alike name.
bool filePathOf(const std::string& utf8, std::string& narrow, std::string& why) {
    if (platform::utf8ToAnsiCodePage(utf8, narrow)) return true;
    why = "has characters that the ANSI code page " + std::to_string(platform::codePage().activeCodePage()) + " cannot hold";
    return false;
}

}  // namespace patchkit
