#pragma once

#include <string>
#include <vector>

#include "tests/support/hostile_update.h"
#include "tests/support/hostile_update_run.h"

// patchkit held to the run of one hostile update: the package is written below `folder` (a
// product path) and checked in process with --install-path, the installation the run left is
// written beside it and audited. (a) Where the run refuses or fails for what the package and
// the installation folder alone decide (start-up refusing the manifest, a path too long in the
// installation, a payload missing), check reports an error for that entry; (b) where check
// reports such an error, the run refuses or fails; (c) audit finds the record's entries as the
// run left them, and names every file left that the record does not list.
namespace testing_support {

struct Agreement {
    std::vector<std::string> broken;
    bool refusedForThePackage = false, checkFoundFault = false;  // (a), (b) applied
};
Agreement patchkitAgreement(const HostileUpdate& update, const HostileUpdateRun& run, const std::string& folder);

}  // namespace testing_support
