#pragma once

#include "manifest/manifests.h"

namespace engine {

// What one file entry of an update does to the installation's record, once its file has been
// brought (or, in RemovalMode, deleted): the first recorded entry of its name takes the
// update's size and extra, or the entry is appended; a removal takes that first entry out.
// Only the first match is acted on; a removal of a name the record lacks changes nothing.
void keepRecordInStep(manifest::UninstallManifest& record, const manifest::ManifestEntry& fileEntry, bool removalMode);

}  // namespace engine
