// Arbitrary bytes as a path under code page 932, through the updater's path helpers and
// CFile's fileNameOf. They share one separator rule: a backslash or slash that is a character
// of its own, judged by reading the text from its start, so a 0x5C trail byte never splits a
// name. Every answer must be a piece of the input that this rule explains.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "app/path_helpers.h"
#include "platform/code_page.h"
#include "platform/file_path.h"
#include "support/file.h"

namespace {

void require(bool holds) {
    if (!holds) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool codePage932 = platform::codePage().activeCodePage() == 932;
    require(codePage932);
    const std::string path(reinterpret_cast<const char*>(data), size);

    // Whether a byte is a separator depends only on the bytes up to it.
    for (size_t i = 0; i < path.size(); ++i) {
        require(platform::isPathSeparatorAt(path, i) == platform::isPathSeparatorAt(path.substr(0, i + 1), i));
    }

    // The parent is everything before the last separator past index 0, or nothing.
    std::string parent = platform::getParentFolder(path);
    std::string name = platform::fileNameOf(path);
    if (parent.empty()) {
        for (size_t i = 1; i < path.size(); ++i) require(!platform::isPathSeparatorAt(path, i));
    } else {
        require(path.compare(0, parent.size(), parent) == 0);
        require(platform::isPathSeparatorAt(path, parent.size()));
        for (size_t i = parent.size() + 1; i < path.size(); ++i) require(!platform::isPathSeparatorAt(path, i));
    }
    // fileNameOf splits at the same separator, so parent, separator and name make the path.
    if (!parent.empty()) {
        require(parent.size() + 1 + name.size() == path.size());
        require(path.compare(parent.size() + 1, std::string::npos, name) == 0);
    } else {
        require(name == path);
    }

    // A folder path ends in the separator it had or in one added backslash. Only bytes that
    // are no text end otherwise: after a lone lead byte the added 0x5C becomes its trail byte.
    std::string folder = path;
    platform::ensureTrailingSeparator(folder);
    if (path.empty()) {
        require(folder.empty());
    } else if (folder == path) {
        require(platform::isPathSeparatorAt(folder, folder.size() - 1));
    } else {
        require(folder == path + '\\');
        require(platform::isPathSeparatorAt(folder, folder.size() - 1) ||
                !platform::isSingleByteCharacterAt(folder, folder.size() - 1));
    }
    return 0;
}
