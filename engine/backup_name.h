#pragma once

#include <string>

// A replaced file's old content is kept beside it under its own name with ".bak" added, where
// a rollback takes it back from and where the user finds it after a success.
namespace engine {

inline constexpr char kBackupSuffix[] = ".bak";

inline std::string backupPathOf(const std::string& path) { return path + kBackupSuffix; }

// The path a backup keeps the old content of.
inline std::string backedUpPathOf(const std::string& backupPath) {
    return backupPath.substr(0, backupPath.size() - (sizeof kBackupSuffix - 1));
}

}  // namespace engine
