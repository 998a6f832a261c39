#pragma once

#include <string>
#include <string_view>

namespace patchkit {

// Why the updater would find a shortcut's name template or the shortcut folder template
// unusable (and skip its shortcuts), in the words of the tool's report; empty when it can be
// expanded. The rule is the updater's own template expansion.
std::string templateProblem(std::string_view cp932);

// Why the updater would skip a slot for the link that its name template gives, whatever the
// installation (the template expanded with a stand-in for the installation's argument, its
// link judged by engine::shortcutNameProblem), in the words of the tool's report; empty when
// it may make it, or when the template is unusable (templateProblem says why).
std::string linkNameProblem(std::string_view nameTemplate);

}  // namespace patchkit
