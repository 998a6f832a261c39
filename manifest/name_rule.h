#pragma once

#include <string>
#include <string_view>

namespace manifest {

// The one rule for a name that the updater joins to a folder and gives the system: an update
// entry's name (below the installation and the data folder), and a shortcut's link below the
// Programs folders (see engine/shortcut_links.h). Why the name could reach outside its folder,
// name a device or be read by the system as another name, or empty when it is safe:
// - it is empty, or is not code page 932 text: the narrow file calls read a byte pair that is
//   no character of the code page as its default character ・, so "\x85\x40.txt" opens
//   "・.txt";
// - it starts with a separator, or holds a ':' (a drive letter or a stream);
// - a component is "." or "..", or ends in a dot or a blank (Windows drops those, so the
//   name would mean another file);
// - a component is a device: CON, PRN, AUX, NUL, CONIN$, CONOUT$, COM1-COM9 or LPT1-LPT9, in
//   any case, with or without blanks and an extension behind it ("nul .txt" opens NUL).
// The reasons are English, for patchkit's reports.
std::string nameProblem(std::string_view name);

}  // namespace manifest
