#pragma once

#include <cstdint>
#include <string>

#include "platform/files.h"

// What a path holds, as the engine asks before it writes there. Each look-up is one call of
// the file service or a few, asked only where the answer decides something.
namespace engine {

// A backup move or a look-up that failed because there is no old file: the file is new, or its
// name can name no file at all.
bool nothingToBackUp(uint32_t error);

// Whether a file may be there, whose content opening it for writing would lose. A folder is no
// such file: it cannot be opened, and that failure says so. A look-up that fails for another
// reason than a missing file cannot rule one out.
bool fileThere(const std::string& path);

// Whether the path names a folder now.
bool namesAFolder(const std::string& path);

// The file service's key of a path. A path the file system cannot name has no key there, and
// is taken here for no other path but itself.
std::string keyOf(const std::string& path);

// The identity of the file at path, through an open that asks for no access and shares
// everything, so that it disturbs no handle; false where no file can be opened there.
bool identityOf(const std::string& path, platform::FileIdentity& identity);

}  // namespace engine
