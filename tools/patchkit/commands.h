#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace patchkit {

enum ExitStatus { kAllWell = 0, kProblemsFound = 1, kUsageError = 2 };

// The whole tool behind main: `arguments` are UTF-8 without the program name. Results go to
// `out`, messages and progress to `err`; progress is drawn only when `err` is a terminal.
int runPatchkit(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err, bool errIsTerminal);

}  // namespace patchkit
