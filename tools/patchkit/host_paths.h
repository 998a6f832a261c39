#pragma once

#include <filesystem>
#include <string>
#include <system_error>

// The tool takes host paths as UTF-8 (its command line and descriptions) and reaches files in
// two ways: std::filesystem for walking folders, and support::CFile for every byte it reads or
// writes, the same object the updater reads its manifests and payload through.
namespace patchkit {

// A UTF-8 host path as CFile takes it on this build. False when the path cannot be written
// that way; `why` then says why.
bool filePathOf(const std::string& utf8, std::string& narrow, std::string& why);

inline std::filesystem::path fsPathOf(const std::string& utf8) { return std::filesystem::u8path(utf8); }
inline std::string utf8Of(const std::filesystem::path& path) { return path.u8string(); }

// Joins with a slash, which both builds take as a separator.
inline std::string joinPath(const std::string& folder, const std::string& name) {
    if (folder.empty()) return name;
    char last = folder.back();
    return last == '/' || last == '\\' ? folder + name : folder + "/" + name;
}

// Whether the host path `innerUtf8` is `outerUtf8` or lies below it, once both are made
// absolute and their links followed as far as they exist.
inline bool isInside(const std::string& innerUtf8, const std::string& outerUtf8) {
    std::error_code error;
    std::filesystem::path inner = std::filesystem::weakly_canonical(fsPathOf(innerUtf8), error);
    if (error) return false;
    std::filesystem::path outer = std::filesystem::weakly_canonical(fsPathOf(outerUtf8), error);
    if (error) return false;
    auto o = outer.begin();
    auto i = inner.begin();
    for (; o != outer.end(); ++o, ++i) {
        if (o->empty()) continue;  // a trailing separator
        if (i == inner.end() || *i != *o) return false;
    }
    return true;
}

}  // namespace patchkit
