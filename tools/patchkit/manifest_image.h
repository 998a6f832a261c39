#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "manifest/layouts.h"
#include "tools/patchkit/findings.h"

// A manifest file as it lies on disk, read without the loaders' refusal so that a broken one
// can still be shown and every fault in it named.
namespace patchkit {

enum class ManifestKind { Update, Install };
enum class KindChoice { Auto, Update, Install };

struct ManifestImage {
    ManifestKind kind = ManifestKind::Update;
    uint64_t fileSize = 0;
    manifest::UpdateHeader update{};      // the header of an update manifest
    manifest::UninstallHeader install{};  // the header of an installation's record
    // As many of the declared entries as the file holds; a short file leaves the rest out.
    std::vector<manifest::ManifestEntry> entries;

    uint32_t declaredEntryCount() const { return kind == ManifestKind::Update ? update.entryCount : install.entryCount; }
};

// Reads the file and settles its kind: the choice if one is given; else the file name, since
// the updater knows each file by its name; else the size, which is 8 more than a multiple of
// 280 for an update manifest and 136 more for a record. False (with `why`) when the file
// cannot be read or its kind cannot be told.
bool readManifestImage(const std::string& pathUtf8, KindChoice choice, ManifestImage& image, std::string& why);

// Everything the updater's loader would refuse (errors) and what it would take but is
// doubtful (warnings: texts that are not code page 932, a record whose counters disagree with
// its entries), against `fileLabel`.
void findManifestProblems(const ManifestImage& image, const std::string& fileLabel, Findings& findings);

const char* kindName(ManifestKind kind);

}  // namespace patchkit
