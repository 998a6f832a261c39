#include "tests/wine_runner/opened_files.h"

#include <windows.h>

#include "platform/file_path.h"
#include "platform/text_encoding.h"
#include "platform/win32/wide_text.h"

namespace wine_runner {
namespace {

std::string slashed(std::string path) {
    for (char& c : path) {
        if (c == '\\') c = '/';
    }
    return path;
}

std::string withoutTrailingSeparators(std::string path) {
    while (!path.empty() && platform::lastSeparatorOf(path, 0) == path.size() - 1) path.pop_back();
    return path;
}

}  // namespace

std::string keyOfListedName(const std::wstring& name) { return platform::win32::narrowOf(name, CP_UTF8); }

OpenedFiles::OpenedFiles(std::string folder, const DiskListing& listing)
    : folder_(std::move(folder)), folderKey_(slashed(platform::utf8OrRawBytes(withoutTrailingSeparators(folder_)))) {
    for (const auto& [name, item] : listing) listed_.emplace(item.identity, keyOfListedName(name));
    FileIdentity own;
    if (identityOfOpened(withoutTrailingSeparators(folder_), own)) listed_.emplace(own, "");
}

std::string OpenedFiles::keyOf(const std::string& name) const {
    FileIdentity identity;
    auto found = identityOfOpened(folder_ + name, identity) ? listed_.find(identity) : listed_.end();
    return found != listed_.end() && !found->second.empty() ? found->second : "<no listed file> " + platform::utf8OrRawBytes(name);
}

std::string OpenedFiles::keyOfPath(const std::string& path) const {
    std::string head = withoutTrailingSeparators(path), rest;
    for (;;) {
        FileIdentity identity;
        auto found = identityOfOpened(head, identity) ? listed_.find(identity) : listed_.end();
        if (found != listed_.end()) return folderKey_ + (found->second.empty() ? "" : "/" + slashed(found->second)) + rest;
        size_t cut = platform::lastSeparatorOf(head, 0);
        if (cut == std::string::npos) return "<outside> " + platform::utf8OrRawBytes(path);
        rest = "/" + platform::utf8OrRawBytes(head.substr(cut + 1)) + rest;
        head.resize(cut);
    }
}

}  // namespace wine_runner
