#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "manifest/layouts.h"
#include "tools/patchkit/findings.h"

// The vendor's description of a package, read from JSON (see README.md for the format). Every
// text here is already code page 932 and known to fit its field.
namespace patchkit {

struct ShortcutDescription {
    std::string nameTemplate;  // empty: the slot is unused
    std::string target;
};

// The `extra` value of the entries: one for all, and overrides for single names.
struct EntryExtras {
    struct Override {
        std::string name;   // code page 932, backslash separators, as the entry will be named
        std::string field;  // "update.entryExtra[\"bin/a.dll\"]", for messages
        uint32_t value;
    };
    uint32_t extra = 0;
    std::vector<Override> overrides;

    // The override whose name matches under the manifest's name matching, else `extra`. A
    // folder's override may be written with or without its trailing separator.
    uint32_t extraFor(const std::string& name) const;
    // Overrides that name nothing among `names`: each one is a finding.
    void reportUnused(const std::vector<std::string>& names, const std::string& file, const std::string& what,
                      Findings& findings) const;
};

struct UpdateDescription {
    std::string title, updateName, note, productName, registryKey, registryValue;
    std::array<std::string, manifest::kCarriedStringCount> carriedStrings;
    std::array<ShortcutDescription, manifest::kShortcutSlotCount> shortcuts;
    EntryExtras extras;
};

struct InstallDescription {
    std::string templateArgument, shortcutFolderTemplate;
    std::array<std::string, manifest::kCarriedStringCount> carriedStrings;
    std::array<ShortcutDescription, manifest::kShortcutSlotCount> shortcuts;
    EntryExtras extras;
};

struct PackageDescription {
    bool hasUpdate = false;
    bool hasInstall = false;
    UpdateDescription update;
    InstallDescription install;
};

// Reads and checks a description; every problem found is a finding against `fileLabel`.
// False when there was any error.
bool parseDescription(const std::string& jsonText, const std::string& fileLabel, PackageDescription& description,
                      Findings& findings);
bool readDescription(const std::string& pathUtf8, PackageDescription& description, Findings& findings);

}  // namespace patchkit
