#include "tools/patchkit/shortcut_templates.h"

#include "engine/shortcut_links.h"
#include "support/text_template.h"

namespace patchkit {

std::string templateProblem(std::string_view cp932) {
    support::ExpandedTemplate expanded = support::expandTemplate(cp932, {});
    switch (expanded.fault) {
        case support::TemplateFault::None: return {};
        case support::TemplateFault::LonePercent: return "ends in a lone '%'";
        case support::TemplateFault::SecondString: return "holds more than one \"%s\"; the template gets one argument";
        case support::TemplateFault::OtherConversion: {
            char conversion = cp932[expanded.faultAt + 1];
            bool printable = conversion > 0x20 && conversion < 0x7F;
            return printable ? std::string("holds \"%") + conversion + "\"; only \"%s\" and \"%%\" may appear"
                             : std::string("holds a '%' that is neither \"%s\" nor \"%%\"");
        }
    }
    return {};
}

std::string linkNameProblem(std::string_view nameTemplate) {
    support::ExpandedTemplate name = support::expandTemplate(nameTemplate, "x");
    if (!name.usable()) return {};
    std::string why = engine::shortcutNameProblem({}, name.text);
    return why.empty() ? why : "gives a link the updater refuses (" + why + "); the updater skips this shortcut";
}

}  // namespace patchkit
