#pragma once

#include <cstdint>

#include "manifest/manifests.h"

// What the whole run shares, from start-up to exit.
namespace app {

// Set once, before anything else, when the command-line tail is exactly "-u".
extern bool RemovalMode;

// Set to 1 by the progress dialog's Cancel; never reset.
extern int32_t cancelRequested;

// Loaded at start-up and kept by the run sequence until it ends.
extern manifest::UpdateManifest updateManifest;
extern manifest::UninstallManifest uninstallManifest;

}  // namespace app
