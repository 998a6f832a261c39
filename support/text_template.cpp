#include "support/text_template.h"

namespace support {

ExpandedTemplate expandTemplate(std::string_view pattern, std::string_view argument) {
    ExpandedTemplate result;
    bool argumentUsed = false;
    for (size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] != '%') {
            result.text += pattern[i];
            continue;
        }
        TemplateFault fault = TemplateFault::None;
        if (i + 1 == pattern.size()) {
            fault = TemplateFault::LonePercent;
        } else if (pattern[i + 1] == '%') {
            result.text += '%';
        } else if (pattern[i + 1] != 's') {
            fault = TemplateFault::OtherConversion;
        } else if (argumentUsed) {
            fault = TemplateFault::SecondString;
        } else {
            result.text += argument;
            argumentUsed = true;
        }
        if (fault != TemplateFault::None) return {fault, i, {}};
        ++i;
    }
    return result;
}

}  // namespace support
