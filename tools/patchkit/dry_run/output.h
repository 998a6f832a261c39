#pragma once

#include <ostream>

#include "tools/patchkit/dry_run/report.h"
#include "tools/patchkit/json_text.h"

// A dry run's report for a person, or for tools.
namespace patchkit {

void dryRunText(std::ostream& out, const DryRunRequest& request, const DryRunReport& report);
Json dryRunJson(const DryRunRequest& request, const DryRunReport& report);

}  // namespace patchkit
