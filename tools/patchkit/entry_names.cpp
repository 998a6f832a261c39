#include "tools/patchkit/entry_names.h"

#include <unordered_map>

#include "manifest/layouts.h"
#include "manifest/manifests.h"
#include "platform/file_names.h"
#include "platform/file_path.h"
#include "platform/text.h"
#include "platform/text_encoding.h"

namespace patchkit {
namespace {

bool endsInBackslash(const std::string& name) { return !name.empty() && name.back() == '\\'; }

// Two names that share Windows' key: alike but for their separators, or for the bytes that
// spell their characters, or else for letter case.
NameClash::Likeness likenessOf(const std::string& a, const std::string& b) {
    platform::PathKey keyA, keyB;
    std::string textA, textB;
    if (!platform::windowsPathKeyOf(a, keyA) || !platform::windowsPathKeyOf(b, keyB)) return NameClash::LetterCase;
    if (keyA.path == keyB.path) return NameClash::Separators;
    platform::cp932ToUtf8(keyA.path, textA);
    platform::cp932ToUtf8(keyB.path, textB);
    return textA == textB ? NameClash::CharacterSpellings : NameClash::LetterCase;
}

}  // namespace

std::string diskKeyOf(const std::string& name) {
    platform::PathKey key;
    // Bytes Windows cannot read name no file that another name could meet.
    return platform::windowsPathKeyOf(name, key) ? key.key : "\n" + name;
}

std::vector<NameClash> findNameClashes(const std::vector<std::string>& names) {
    std::vector<NameClash> clashes;
    // The disk's key ignores a trailing backslash, so that a file and a folder of one name
    // meet; the record's does not.
    std::unordered_map<std::string, size_t> firstOnDisk, firstInRecord;
    for (size_t i = 0; i < names.size(); ++i) {
        auto onDisk = firstOnDisk.emplace(diskKeyOf(names[i]), i);
        auto inRecord = firstInRecord.emplace(platform::foldedAsciiCase(names[i]), i);
        if (!onDisk.second) {
            size_t earlier = onDisk.first->second;
            NameClash::Kind kind = endsInBackslash(names[earlier]) != endsInBackslash(names[i]) ? NameClash::FileAndFolder
                                   : manifest::namesMatch(names[earlier].c_str(), names[i].c_str()) ? NameClash::SameRecordAndFile
                                                                                                     : NameClash::SameFile;
            clashes.push_back({earlier, i, kind, likenessOf(names[earlier], names[i])});
        } else if (!inRecord.second) {
            clashes.push_back({inRecord.first->second, i, NameClash::SameRecord});
        }
    }
    return clashes;
}

std::string describeClash(const NameClash& clash, const std::string& other) {
    static const char* const kAlike[] = {
        " (letter case ignored, full-width, Greek and Cyrillic letters included)",
        u8", which reads the two as the same characters (code page 932 spells some twice: ∪ as 81 BE and as 87 9C)",
        " ('/' read as '\\'; separators doubled read as one)",
    };
    switch (clash.kind) {
        case NameClash::SameRecord:
            return "the updater's record takes it for " + other +
                   " (A-Z match in either case, trail bytes of double-byte characters included), though Windows keeps two files";
        case NameClash::SameFile:
            return "names the same file as " + other + " on Windows" + kAlike[clash.likeness] + ", though the updater's record keeps two entries";
        case NameClash::SameRecordAndFile:
            return "names the same file as " + other + " on Windows, and the updater's record takes the two for one entry";
        case NameClash::FileAndFolder: return "is at the same path as " + other + ", one a file and the other a folder";
    }
    return {};
}


void KnownFolders::addDirectoryEntry(const std::string& name) {
    // The key is UTF-8 with '/' between names: every '/' in it is a separator.
    std::string key = diskKeyOf(name);
    for (size_t i = 1; i <= key.size(); ++i) {
        if (i == key.size() || key[i] == '/') keys_.insert(key.substr(0, i));
    }
}

bool KnownFolders::holdsFolderOf(const std::string& fileName) const {
    std::string folder = platform::getParentFolder(fileName);
    return folder.empty() || keys_.count(diskKeyOf(folder)) > 0;
}

}  // namespace patchkit
