#pragma once

#include "tools/patchkit/findings.h"
#include "tools/patchkit/package_check.h"
#include "tools/patchkit/progress.h"

namespace patchkit {

// check of a zip that holds a package (request.packageDir names the zip): each member is
// extracted under the name the built-in extractor of a Japanese Windows gives it, into a
// temporary folder, which is checked as a package folder and removed; the findings name the
// archive's members. Names that such a Windows reads otherwise than they were written (no
// UTF-8 flag, and bytes that are not code page 932, or UTF-8, or another name than the
// Unicode Path field's) are a warning; members that cannot be read or would land outside the
// folder are errors.
void checkPackageArchive(const CheckRequest& request, Findings& findings, Progress& progress);

}  // namespace patchkit
