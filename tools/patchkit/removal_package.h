#pragma once

#include <string>
#include <vector>

#include "tools/patchkit/description.h"
#include "tools/patchkit/findings.h"
#include "tools/patchkit/tree_scan.h"

namespace patchkit {

// Writes dirUtf8/Updateinf.dat for Update.exe -u, which deletes every listed file from the
// installation and takes it out of the record: the files given, with the sizes the record
// holds for them, under the description's texts and registry names. It carries no strings and
// no shortcut slots, so that the run changes nothing else. A removal reads no payload, and the
// package has no data folder.
bool writeRemovalPackage(const std::string& dirUtf8, const UpdateDescription& description, const std::vector<TreeItem>& files,
                         Findings& findings);

}  // namespace patchkit
