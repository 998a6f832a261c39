#pragma once

#include <string>
#include <string_view>

// The names a package and an installation are found by. The update's folder holds Update.exe,
// the update manifest and the payload folder, whose files lie under the same relative names
// they take in the installation; the installation's folder holds its record.
namespace manifest {

inline constexpr char kUpdaterProgramName[] = "Update.exe";
inline constexpr char kUpdateManifestName[] = "Updateinf.dat";
inline constexpr char kPayloadFolderName[] = "data";
inline constexpr char kUninstallManifestName[] = "Uninstallinf.dat";

// The record is saved whole to a temporary file beside it, which then takes its place: the
// prefix and a counter from 1, made only under a name that is free, the next counter where it
// is taken. No longer than the record's own name, so that a record path within the system's
// path buffer gives temporary paths within it too.
inline constexpr char kRecordTemporaryPrefix[] = "Uninstallinf.~";
inline constexpr unsigned kRecordTemporaryCount = 99;
static_assert(sizeof kRecordTemporaryPrefix - 1 + 2 <= sizeof kUninstallManifestName - 1);

std::string recordTemporaryName(unsigned counter);

// Whether a name relative to the installation folder is the record's, or one of its
// temporaries' (the prefix and any digits), letter case aside: an update entry of such a name
// would be written where the save writes, or under it.
bool isRecordName(std::string_view name);
bool isRecordTemporaryName(std::string_view name);

}  // namespace manifest
