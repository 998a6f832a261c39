#include "tools/patchkit/entry_names.h"

#include <unordered_map>

#include "manifest/layouts.h"
#include "manifest/manifests.h"
#include "support/multibyte.h"

namespace patchkit {
namespace {

bool endsInBackslash(const std::string& name) { return !name.empty() && name.back() == '\\'; }

}  // namespace

std::string nameKeyOf(const std::string& name) { return manifest::fileKeyOf(name.c_str()); }

std::vector<NameClash> findNameClashes(const std::vector<std::string>& names) {
    std::vector<NameClash> clashes;
    // Keyed without the trailing backslash, so that a file and a folder of one name meet.
    std::unordered_map<std::string, size_t> firstByPath;
    for (size_t i = 0; i < names.size(); ++i) {
        std::string key = nameKeyOf(names[i]);
        if (endsInBackslash(names[i])) key.pop_back();
        auto [it, inserted] = firstByPath.emplace(key, i);
        if (inserted) continue;
        const std::string& earlier = names[it->second];
        NameClash::Kind kind = endsInBackslash(earlier) != endsInBackslash(names[i]) ? NameClash::FileAndFolder
                               : manifest::namesMatch(earlier.c_str(), names[i].c_str()) ? NameClash::SameRecord
                                                                                         : NameClash::SameFile;
        clashes.push_back({it->second, i, kind});
    }
    return clashes;
}

std::string describeClash(NameClash::Kind kind, const std::string& other) {
    switch (kind) {
        case NameClash::SameRecord:
            return "the updater's record takes it for " + other + " (A-Z match in either case, trail bytes of double-byte characters included)";
        case NameClash::SameFile: return "names the same file as " + other + " once '/' is read as '\\'";
        case NameClash::FileAndFolder: return "is at the same path as " + other + ", one a file and the other a folder";
    }
    return {};
}

bool isInstallRecordName(const std::string& name) { return manifest::namesMatch(name.c_str(), "Uninstallinf.dat"); }

std::string folderOf(const std::string& name) {
    for (size_t i = name.size(); i-- > 1;) {
        if (support::isPathSeparatorAt(name, i)) return name.substr(0, i);
    }
    return {};
}

void KnownFolders::addDirectoryEntry(const std::string& name) {
    std::string key = nameKeyOf(name);
    for (size_t i = 1; i < key.size(); ++i) {
        if (key[i] == '\\' && support::isPathSeparatorAt(key, i)) folded_.insert(key.substr(0, i));
    }
}

bool KnownFolders::holdsFolderOf(const std::string& fileName) const {
    std::string folder = folderOf(fileName);
    return folder.empty() || folded_.count(nameKeyOf(folder)) > 0;
}

}  // namespace patchkit
