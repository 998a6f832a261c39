#pragma once

#include <map>
#include <string>

#include "platform/file_names.h"
#include "platform/files.h"

namespace platform {

// What a path names on a real file system by Windows' rule, where the host may compare names
// byte for byte (a Linux folder, which can even hold a.txt and A.txt as two files): the path
// as written first, as Wine's look-up does, and where that misses, each folder's real names
// compared by their keys (windowsPathKeyOf). The overlay of patchkit's dry run finds what its
// real file system shows through by it, and check and audit find a package's payload and an
// installation's files by it, so that a vendor on Linux gets the answer Windows would give.
// Each real folder is listed once: the real file system is taken not to change meanwhile.
class WindowsNameLookup {
public:
    explicit WindowsNameLookup(Files& real) : real_(real) {}

    // The real path of the file or folder the path names, in the spelling the file system
    // holds, '\' between names; empty when it names nothing.
    std::string realPathOf(const PathKey& path);

private:
    Files& real_;
    // Real folders' names by the folder's key, each name under its own key.
    std::map<std::string, std::map<std::string, std::string>> namesByFolder_;
};

}  // namespace platform
