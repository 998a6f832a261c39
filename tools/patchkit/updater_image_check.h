#pragma once

#include <string>

#include "tools/patchkit/findings.h"

namespace patchkit {

// Every program beside the manifest (Update.exe, under whatever name the vendor gave it) as
// the one Windows is to run: a whole 32-bit GUI program is required; one without an
// Authenticode signature is a warning, and the signer of a signed one is noted.
void checkUpdaterImages(const std::string& packageDirUtf8, Findings& findings);

// Whether a file at the top of a package is one of those programs: its name ends in ".exe",
// in any letter case.
bool isUpdaterProgramName(const std::string& leafUtf8);

}  // namespace patchkit
