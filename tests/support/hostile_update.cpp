#include "tests/support/hostile_update.h"

#include <cstring>

#include "manifest/manifests.h"
#include "manifest/name_rule.h"
#include "manifest/package_names.h"
#include "platform/file_path.h"
#include "platform/text_encoding.h"
#include "tests/support/manifest_builder.h"
#include "tools/patchkit/entry_names.h"

namespace testing_support {
namespace {

// A name is a folder, a stem, an extension and a backup suffix, each drawn from spellings that
// the record or Windows take for one another: d, D, d/ and d\\ are one folder to Windows, ｄ
// another; a and A one file to both, ａ and Ａ to Windows only, ア and ヂ to the record only;
// 表 and ソ end in a 0x5C trail byte; the byte pairs 85 40 and 86 40 are no characters of the
// code page, which the narrow calls read as its default character ・ (the last stem), so they
// come only as its twins. Written as their code page 932 bytes, so that a build whose literals
// are UTF-8 (the fuzzer's) draws the same names.
const char* const kFolders[] = {"", "d\\", "D\\", "d/", "d\\\\", "\x82\x84\\"};
const char* const kStems[] = {"a", "A", "\x82\x81", "\x82\x60", "\x83\x41", "\x83\x61", "\x95\x5C", "\x83\x5C", "\x81\x45"};
const char* const kNotCharacters[] = {"\x85\x40", "\x86\x40"};
const char* const kExtensions[] = {"", ".txt", ".TXT"};
const char* const kBackups[] = {"", ".bak", ".BAK"};
// Names the loader refuses: they lead out of their folder or name a device.
const char* const kHostile[] = {"..\\a.txt", "\\a.txt", "c:a.txt", "a.txt.", "CON", "d\\..\\..\\a.txt"};
// The record's name, and names its save writes or once wrote beside it.
const char* const kRecordNames[] = {"Uninstallinf.tmp", "Uninstallinf.~1", "UNINSTALLINF.~2", "Uninstallinf.dat"};

template <class T, size_t N>
constexpr uint32_t countOf(const T (&)[N]) {
    return N;
}

constexpr uint32_t kDefaultCharacterStem = countOf(kStems) - 1;

struct Name {
    uint32_t folder, stem, extension, backup;
    uint32_t notCharacter = 0;  // 1 + its index: the default character's stem spelt as one of kNotCharacters
    std::string text() const {
        const char* stemText = notCharacter ? kNotCharacters[notCharacter - 1] : kStems[stem];
        return std::string(kFolders[folder]) + stemText + kExtensions[extension] + kBackups[backup];
    }
};

Name freshName(const Choices& choose) {
    return {choose(3) == 0 ? 1 + choose(countOf(kFolders) - 1) : 0, choose(countOf(kStems)), choose(countOf(kExtensions)), 0};
}

// A spelling of an earlier name that is likely its twin, or its backup's name.
Name twinOf(Name name, const Choices& choose) {
    switch (choose(6)) {
        case 0: break;  // the same bytes again
        case 1:
        case 2: name.backup = name.backup ? 0 : 1 + choose(2); break;
        case 3:  // a/A, ａ/Ａ, ア/ヂ, 表/ソ, ・/85 40/86 40
            if (name.stem != kDefaultCharacterStem) {
                name.stem ^= 1;
            } else {
                name.notCharacter = name.notCharacter ? 0 : 1 + choose(countOf(kNotCharacters));
            }
            break;
        case 4: name.folder = name.folder ? 1 + choose(countOf(kFolders) - 1) : 0; break;
        default: name.extension = choose(countOf(kExtensions)); break;
    }
    return name;
}

// Any bytes but the terminator: names that are not code page 932 at all, or that the alphabet
// does not spell.
std::string rawName(const Choices& choose) {
    std::string name(1 + choose(8), '\0');
    for (char& c : name) c = static_cast<char>(1 + choose(255));
    return name;
}

Name drawName(const Choices& choose, const std::vector<Name>& earlier) {
    return !earlier.empty() && choose(2) ? twinOf(earlier[choose(static_cast<uint32_t>(earlier.size()))], choose) : freshName(choose);
}

// Several chunks for some, so that a cancel can land inside a copy.
std::string contentFor(const std::string& label, const Choices& choose) {
    std::string content = label;
    if (choose(16) == 0) {
        size_t size = 100000 * (1 + choose(2)) + choose(50000);
        while (content.size() < size) content += label;
        content.resize(size);
    }
    return content;
}

// Devices among the hostile ones: "nul.%s" makes "nul.製品.lnk", which is the device NUL, and
// so is a folder "NUL.x" followed by a shortcut's name.
const char* const kNameTemplates[] = {"%s", "%s \x90\x56\x8B\x40\x94\x5C", "sub\\%s", "..\\%s", "%s:x", "%d", "nul.%s", "LPT1 "};  // 新機能
const char* const kTargets[] = {"a.txt", "Product.exe /safe", "\x95\x5C\\a.txt"};
const char* const kFolderTemplates[] = {"%s\\", "", "%s", "..\\", "%s\\..\\..\\", "x:\\%s\\", "NUL.x", "com1 .%s"};

void drawShortcuts(const Choices& choose, HostileUpdate& update) {
    setText(update.recordHeader.templateArgument, "\x90\xBB\x95\x69");  // 製品
    setText(update.recordHeader.shortcutFolderTemplate, kFolderTemplates[choose(countOf(kFolderTemplates))]);
    for (size_t k = 0; k < manifest::kShortcutSlotCount; ++k) {
        manifest::ShortcutSlot& wanted = update.updateHeader.shortcuts[k];
        manifest::ShortcutSlot& installed = update.recordHeader.shortcuts[k];
        if (choose(4) == 0) {
            setText(wanted.nameTemplate, kNameTemplates[choose(countOf(kNameTemplates))]);
            setText(wanted.target, kTargets[choose(countOf(kTargets))]);
        }
        if (choose(3) == 0) {
            setText(installed.nameTemplate, kNameTemplates[choose(countOf(kNameTemplates))]);
            setText(installed.target, kTargets[choose(countOf(kTargets))]);
        }
    }
    update.userShortcutFolder = choose(2);
    update.commonShortcutFolder = choose(3) == 0;
}

// The name `from` made `longer` bytes longer in its last component, wherever the case has it.
void lengthenName(HostileUpdate& update, const std::string& from, size_t longer) {
    std::string to = from;
    size_t last = platform::lastSeparatorOf(std::string_view(from).substr(0, from.size() - 1));
    to.insert(last == platform::kNoSeparator ? 0 : last + 1, longer, 'l');
    if (to.size() >= manifest::kNameWidth) return;
    for (auto* entries : {&update.updateEntries, &update.recordEntries}) {
        for (manifest::ManifestEntry& e : *entries) {
            if (e.name == from) std::memcpy(e.name, to.c_str(), to.size() + 1);
        }
    }
    for (auto* files : {&update.payload, &update.installedFiles}) {
        for (HostileUpdate::File& file : *files) {
            if (file.name == from) file.name = to;
        }
    }
}

// Where the installation and the update lie: mostly a few bytes deep, else in a folder whose
// length brings one entry's target, backup, payload or folder to Windows' limit (259 bytes;
// 247 for CreateDirectoryA, without the separator that ends the entry) or within four of it.
void drawFolders(const Choices& choose, HostileUpdate& update) {
    size_t length[2] = {0, 0}, count = update.updateEntries.size(), path = 259 + choose(9) - 4;  // installation, update
    if (count && choose(3) == 0) {
        const manifest::ManifestEntry& e = update.updateEntries[choose(static_cast<uint32_t>(count))];
        uint32_t kind = manifest::isDirectoryEntry(e) ? 3 : choose(3);
        length[kind == 2] = path - std::strlen(e.name) - (kind == 1 ? 4 : kind == 3 ? 11 : 0) - (kind == 2 ? 12 : 8);
        // A backup is made only of a file that is there: one a Windows disk can hold.
        bool holdable = manifest::nameProblem(e.name).empty();
        for (const char* c = e.name; *c; ++c) holdable = holdable && static_cast<uint8_t>(*c) >= 0x20 && !std::strchr("<>\"|?*", *c);
        bool installed = false;
        for (const HostileUpdate::File& file : update.installedFiles) installed = installed || patchkit::diskKeyOf(file.name) == patchkit::diskKeyOf(e.name);
        if (kind < 2 && holdable && !installed && choose(4) != 0) update.installedFiles.push_back({e.name, std::string("old:") + e.name, false});
        // The record beside the installation's files, and the manifest beside the updater, must
        // still fit: what the folder cannot take, the entry's own name does.
        size_t beside = kind == 2 ? length[1] + 7 + std::strlen(manifest::kUpdateManifestName)
                                  : length[0] + 8 + std::strlen(manifest::kUninstallManifestName);
        if (beside > 259 && length[kind == 2] < 300) {
            length[kind == 2] -= beside - 259;
            lengthenName(update, e.name, beside - 259);
        }
    }
    auto folder = [](size_t pad) { return std::string(kHostileRoot) + (pad > 24 && pad < 300 ? std::string(pad - 24, 'p') + "\\" : ""); };
    update.installFolder = folder(length[0]) + "product\\";
    update.updateFolder = folder(length[1]) + "update\\";
}

}  // namespace

HostileUpdate drawHostileUpdate(const Choices& choose) {
    HostileUpdate update;
    update.removal = choose(8) == 0;
    update.confirmation = choose(20) == 0 ? 0 : 1;

    std::vector<Name> names;
    uint32_t entryCount = choose(7);
    for (uint32_t i = 0; i < entryCount; ++i) {
        Name name = drawName(choose, names);
        names.push_back(name);
        bool folder = name.folder != 0 && choose(4) == 0;
        std::string text = folder ? kFolders[name.folder] : name.text();
        // A file where a folder is or will be ("d" for "d/"), a folder where a file is.
        uint32_t over = choose(12);
        if (over == 0 && name.folder) text = text.substr(0, text.find_first_of("\\/")), folder = false;
        if (over == 1) text = name.text() + "\\", folder = true;
        if (choose(25) == 0) text = kHostile[choose(countOf(kHostile))];
        if (choose(40) == 0) text = rawName(choose);
        if (choose(30) == 0) text = kRecordNames[choose(countOf(kRecordNames))], folder = false;
        std::string content = contentFor("new" + std::to_string(i) + ":", choose);
        update.updateEntries.push_back(entry(text, content.size() + (choose(10) == 0), choose(3)));
        if (!folder && choose(10) != 0) update.payload.push_back({text, content, false});
    }

    // The installation: each file once by Windows' rule, as a disk can hold it.
    std::vector<std::string> keys;
    for (uint32_t i = 0, count = choose(6); i < count; ++i) {
        Name name = drawName(choose, names);
        std::string text = name.text(), key = patchkit::diskKeyOf(text);
        bool taken = false;
        for (const std::string& other : keys) taken = taken || other == key;
        if (taken) continue;
        keys.push_back(key);
        update.installedFiles.push_back({text, "old" + std::to_string(i) + ":" + text, choose(5) == 0});
        if (choose(3) != 0) {
            update.recordEntries.push_back(entry(text, update.installedFiles.back().content.size()));
        }
    }
    if (choose(4) == 0) update.installedFiles.push_back({kRecordNames[choose(countOf(kRecordNames) - 1)], "the product's own", choose(5) == 0});
    if (choose(2)) update.installedFolders.push_back(kFolders[1 + choose(countOf(kFolders) - 1)]);
    if (choose(4) == 0 && !names.empty()) update.recordEntries.push_back(entry(names[choose(static_cast<uint32_t>(names.size()))].text(), 1));

    drawShortcuts(choose, update);
    drawFolders(choose, update);
    if (choose(4) == 0) {
        static const char* const kCalls[] = {"createFile", "readFile", "writeFile", "moveFileReplace", "deleteFile", "setFileAttributes",
                                             "getFileAttributes", "createDirectory", "removeDirectory", "flushFileBuffers", "getFileSize",
                                             "setFilePointer"};
        update.failedCall = kCalls[choose(countOf(kCalls))];
        update.failedCallNumber = 1 + static_cast<int>(choose(12));
    }
    if (choose(5) == 0) update.cancelAtPump = 1 + static_cast<int>(choose(3));
    return update;
}

std::string HostileUpdate::describe() const {
    auto text = [](const std::string& cp932) { return "\"" + platform::utf8OrRawBytes(cp932) + "\""; };
    std::string out = removal ? "removal" : "update";
    out += " in " + std::to_string(installFolder.size()) + " and " + std::to_string(updateFolder.size()) + " bytes";
    out += confirmation ? "" : ", declined";
    if (cancelAtPump) out += ", cancel at pump " + std::to_string(cancelAtPump);
    if (!failedCall.empty()) out += ", " + failedCall + " #" + std::to_string(failedCallNumber) + " fails";
    out += "\n  entries:";
    for (const manifest::ManifestEntry& e : updateEntries) out += " " + text(e.name) + "(" + std::to_string(e.size) + ")";
    out += "\n  payload:";
    for (const File& file : payload) out += " " + text(file.name) + "(" + std::to_string(file.content.size()) + ")";
    out += "\n  installed:";
    for (const std::string& folder : installedFolders) out += " " + text(folder);
    for (const File& file : installedFiles) out += " " + text(file.name) + (file.readOnly ? "(read-only)" : "");
    out += "\n  record:";
    for (const manifest::ManifestEntry& e : recordEntries) out += " " + text(e.name);
    out += "\n  shortcut folder " + text(recordHeader.shortcutFolderTemplate) + (userShortcutFolder ? ", made per user" : "") +
           (commonShortcutFolder ? ", made for all users" : "") + "; slots (update / installed):";
    for (size_t k = 0; k < manifest::kShortcutSlotCount; ++k) {
        const manifest::ShortcutSlot& wanted = updateHeader.shortcuts[k];
        const manifest::ShortcutSlot& installed = recordHeader.shortcuts[k];
        if (!wanted.nameTemplate[0] && !installed.nameTemplate[0]) continue;
        out += " " + std::to_string(k) + ": " + text(wanted.nameTemplate) + " " + text(wanted.target) + " / " + text(installed.nameTemplate) +
               " " + text(installed.target);
    }
    return out;
}

}  // namespace testing_support
