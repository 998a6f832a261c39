#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace support {

// Why a template cannot be expanded.
enum class TemplateFault {
    None,
    LonePercent,      // a '%' as the last byte
    OtherConversion,  // a '%' followed by anything but 's' or '%'
    SecondString,     // a second "%s": the template has one argument
};

struct ExpandedTemplate {
    TemplateFault fault = TemplateFault::None;
    size_t faultAt = 0;  // offset of the '%' that makes the template unusable
    std::string text;    // the expansion; empty when the template is unusable

    bool usable() const { return fault == TemplateFault::None; }
};

// The manifests' templates (a shortcut's name, the shortcut folder) take one text argument.
// They are never handed to printf: the first "%s" becomes the argument, each "%%" becomes
// "%", and any other '%' sequence makes the template unusable. Bytes in code page 932: '%'
// lies below its trail-byte range, so every '%' byte is a character of its own.
ExpandedTemplate expandTemplate(std::string_view pattern, std::string_view argument);

}  // namespace support
