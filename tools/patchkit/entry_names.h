#pragma once

#include <cstddef>
#include <string>
#include <unordered_set>
#include <vector>

// Rules about entry names that the manifest layout alone does not show: which names the
// updater's record takes for one another, which ones Windows takes for one file, and which
// folders exist by the time a file is copied.
namespace patchkit {

struct NameClash {
    size_t first;   // the earlier of the two, by index
    size_t second;
    enum Kind {
        SameRecord,         // namesMatch, yet two files on Windows: ア and ヂ
        SameFile,           // one file on Windows, yet two entries in the record: ａ and Ａ, '/' and '\'
        SameRecordAndFile,  // both: A and a
        FileAndFolder,      // "a" and "a\": one path cannot be both
    } kind;
    // SameFile: what Windows reads alike in the two spellings.
    enum Likeness {
        LetterCase,          // ａ and Ａ, maybe besides the rest
        CharacterSpellings,  // one character in two byte sequences of the code page: ∪ as 81 BE and as 87 9C
        Separators,          // '/' and '\', doubled separators
    } likeness = LetterCase;
};

// A key that two names relative to one folder (or two full paths) share exactly when Windows
// opens one file for both (platform::windowsPathKeyOf); a trailing backslash does not count.
std::string diskKeyOf(const std::string& name);

// Pairs of names that cannot both be carried, each reported once, against its earliest
// partner. Names are code page 932; a directory name ends in a backslash.
std::vector<NameClash> findNameClashes(const std::vector<std::string>& names);
// Why the later name of a clash cannot be carried beside `other`, the earlier one.
std::string describeClash(const NameClash& clash, const std::string& other);


// The folders that the updater has made once it has worked through some directory entries:
// an entry makes its own folder and every folder above it.
class KnownFolders {
public:
    void addDirectoryEntry(const std::string& name);
    // Whether the folder that holds `fileName` is among them; a name at the top always is.
    bool holdsFolderOf(const std::string& fileName) const;

private:
    std::unordered_set<std::string> keys_;
};

}  // namespace patchkit
