// Arbitrary bytes as a shortcut template and its argument (split at the first NUL), through
// the updater's own template formatter. A usable template must expand exactly as printf would
// expand it with the argument, which is the meaning the vendor wrote it with; any other '%'
// makes it unusable, with nothing expanded. The formatter itself never hands the template to
// printf: that is done here only, on templates it has already judged plain.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "support/text_template.h"

namespace {

void require(bool holds) {
    if (!holds) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    size_t split = input.find('\0');
    const std::string pattern = input.substr(0, split);
    const std::string argument = split == std::string::npos ? "" : input.substr(split + 1);

    support::ExpandedTemplate expanded = support::expandTemplate(pattern, argument);
    if (!expanded.usable()) {
        require(expanded.text.empty());
        require(expanded.faultAt < pattern.size() && pattern[expanded.faultAt] == '%');
        return 0;
    }
    // printf stops an argument at its first NUL; the formatter takes it whole.
    if (argument.find('\0') != std::string::npos) return 0;
    std::vector<char> reference(pattern.size() + argument.size() + 1);
#pragma clang diagnostic ignored "-Wformat-nonliteral"
    int length = std::snprintf(reference.data(), reference.size(), pattern.c_str(), argument.c_str());
    require(length >= 0 && expanded.text == std::string(reference.data(), static_cast<size_t>(length)));
    return 0;
}
