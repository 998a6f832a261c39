#pragma once

#include <string>
#include <string_view>

namespace patchkit {

// Why the updater would find a shortcut's name template or the shortcut folder template
// unusable (and skip its shortcuts), in the words of the tool's report; empty when it can be
// expanded. The rule is the updater's own template expansion.
std::string templateProblem(std::string_view cp932);

}  // namespace patchkit
