#pragma once

#include <string>
#include <string_view>

namespace patchkit {

// The updater formats a shortcut's name template and the shortcut folder template with one
// string argument, printf-style. Only "%%" and at most one "%s" are safe: any other
// conversion reads an argument that is not there. Empty when the template is safe, else why.
// '%' is below code page 932's trail-byte range, so a byte scan finds only real ones.
std::string templateProblem(std::string_view cp932);

}  // namespace patchkit
