#pragma once

#include <string>
#include <vector>

#include "manifest/layouts.h"
#include "tools/patchkit/description.h"
#include "tools/patchkit/tree_scan.h"

// Manifest records from a description and a scanned tree, and the bytes of a manifest file.
namespace patchkit {

manifest::UpdateHeader updateHeaderOf(const UpdateDescription& description, uint32_t entryCount);
// The counters follow the entries: files counted and their sizes summed.
manifest::UninstallHeader uninstallHeaderOf(const InstallDescription& description, const std::vector<manifest::ManifestEntry>& entries);

std::vector<manifest::ManifestEntry> entriesOf(const std::vector<TreeItem>& items, const EntryExtras& extras);

// A header followed directly by its entries: the whole file.
template <class Header>
std::string manifestFileBytes(const Header& header, const std::vector<manifest::ManifestEntry>& entries) {
    std::string bytes(reinterpret_cast<const char*>(&header), sizeof header);
    if (!entries.empty()) bytes.append(reinterpret_cast<const char*>(entries.data()), entries.size() * sizeof(manifest::ManifestEntry));
    return bytes;
}

}  // namespace patchkit
