#pragma once

// The names a package and an installation are found by. The update's folder holds Update.exe,
// the update manifest and the payload folder, whose files lie under the same relative names
// they take in the installation; the installation's folder holds its record.
namespace manifest {

inline constexpr char kUpdaterProgramName[] = "Update.exe";
inline constexpr char kUpdateManifestName[] = "Updateinf.dat";
inline constexpr char kPayloadFolderName[] = "data";
inline constexpr char kUninstallManifestName[] = "Uninstallinf.dat";

}  // namespace manifest
