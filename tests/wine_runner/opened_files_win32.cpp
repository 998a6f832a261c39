#include <windows.h>

#include "platform/win32/wide_text.h"
#include "tests/wine_runner/opened_files.h"

namespace wine_runner {

std::string keyOfListedName(const std::wstring& name) { return platform::win32::narrowOf(name, CP_UTF8); }

OpenedFiles::OpenedFiles(std::string folder, const DiskListing& listing) : folder_(std::move(folder)) {
    for (const auto& [name, item] : listing) listed_.emplace(item.identity, keyOfListedName(name));
}

std::string OpenedFiles::keyOf(const std::string& name) const {
    FileIdentity identity;
    auto found = identityOfOpened(folder_ + name, identity) ? listed_.find(identity) : listed_.end();
    return found != listed_.end() ? found->second : "\n" + name;
}

}  // namespace wine_runner
