#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "tools/patchkit/install_audit.h"
#include "tools/patchkit/json_text.h"

// An audit's findings for a person (one line each, then a count) or for tools.
namespace patchkit {

void auditText(std::ostream& out, const std::string& installDirUtf8, const std::vector<Disagreement>& found);
Json auditJson(const std::string& installDirUtf8, const std::vector<Disagreement>& found);

}  // namespace patchkit
