#pragma once

#include <ostream>
#include <string>

#include "tools/patchkit/findings.h"
#include "tools/patchkit/json_text.h"
#include "tools/patchkit/manifest_image.h"

// A manifest shown whole: every field the updater reads, texts as UTF-8, and the findings
// against it. The JSON form uses the description's field names for the header, so that a
// dump of a made package can be laid beside the description it came from.
namespace patchkit {

Json dumpJson(const ManifestImage& image, const std::string& fileLabel, const std::vector<Finding>& findings);
void dumpText(std::ostream& out, const ManifestImage& image, const std::string& fileLabel, const std::vector<Finding>& findings);

}  // namespace patchkit
