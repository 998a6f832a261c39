#include "platform/file_names.h"

#include <algorithm>

#include "platform/text.h"
#include "platform/text_encoding.h"

namespace platform {
namespace {

// The upper case of every character code page 932 holds that has one, as Windows' file
// systems compare names: the same table under Wine (CharUpperBuffW) and on NTFS ($UpCase).
// Only those pairs are folded: a pair folded here that the system keeps apart would make two
// files one, and the updater would skip the second one's backup. The contract suite checks
// the table against the system for every character of the code page.
char32_t upperCaseOf(char32_t c) {
    if (c >= U'a' && c <= U'z') return c - 0x20;
    if ((c >= U'α' && c <= U'ρ') || (c >= U'σ' && c <= U'ω')) return c - 0x20;
    if (c >= U'а' && c <= U'я') return c - 0x20;
    if (c == U'ё') return U'Ё';
    if (c >= U'ⅰ' && c <= U'ⅹ') return c - 0x10;
    if (c >= U'ａ' && c <= U'ｚ') return c - 0x20;
    return c;
}

char32_t decodeAt(const std::string& utf8, size_t at, size_t length) {
    auto byte = [&](size_t i) { return static_cast<unsigned char>(utf8[at + i]); };
    if (length == 1) return byte(0);
    char32_t c = byte(0) & (0x7F >> length);
    for (size_t i = 1; i < length; ++i) c = (c << 6) | (byte(i) & 0x3F);
    return c;
}

void appendUtf8(char32_t c, std::string& out) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

std::string upperCased(const std::string& utf8) {
    std::string upper;
    upper.reserve(utf8.size());
    for (size_t at = 0; at < utf8.size();) {
        size_t length = utf8SequenceLength(static_cast<unsigned char>(utf8[at]));
        appendUtf8(upperCaseOf(decodeAt(utf8, at, length)), upper);
        at += length;
    }
    return upper;
}

// The names between the separators, empty ones (doubled separators, a leading or a trailing
// one) included. A byte 0x5C or 0x2F is a separator unless it is the second byte of a
// double-byte character.
void splitNames(std::string_view path, std::vector<std::string_view>& names) {
    size_t start = 0;
    for (size_t i = 0; i < path.size(); ++i) {
        if (isCp932LeadByte(static_cast<uint8_t>(path[i]))) {
            ++i;
        } else if (path[i] == '\\' || path[i] == '/') {
            names.push_back(path.substr(start, i - start));
            start = i + 1;
        }
    }
    names.push_back(path.substr(std::min(start, path.size())));
}

// Code page 932's default character, ・.
constexpr std::string_view kDefaultCharacter = "\x81\x45";

// The bytes as the narrow calls read them (MultiByteToWideChar without MB_ERR_INVALID_CHARS,
// as every A-call converts its paths): a lead byte and the byte after it that make no
// character of the code page, "\x85\x40" for one, are the default character, and so is a lead
// byte that ends the text. False for a single byte that is no character.
bool readAsTheNarrowCallsDo(std::string_view bytes, std::string& read) {
    std::string utf8;
    read.assign(bytes);
    if (cp932ToUtf8(bytes, utf8)) return true;
    read.clear();
    for (size_t i = 0; i < bytes.size();) {
        bool lead = isCp932LeadByte(static_cast<uint8_t>(bytes[i]));
        std::string_view character = bytes.substr(i, lead ? 2 : 1);
        if (cp932ToUtf8(character, utf8)) {
            read += character;
        } else if (lead) {
            read += kDefaultCharacter;
        } else {
            return false;
        }
        i += character.size();
    }
    return true;
}

// The legacy devices that a last name stands for wherever it lies (RtlIsDosDeviceName_U), by
// their upper-cased names.
bool isDevice(std::string_view upperCasedName) {
    static const char* const kDevices[] = {"CON",  "PRN",  "AUX",  "NUL",  "CONIN$", "CONOUT$", "COM1", "COM2",
                                           "COM3", "COM4", "COM5", "COM6", "COM7",   "COM8",    "COM9", "LPT1",
                                           "LPT2", "LPT3", "LPT4", "LPT5", "LPT6",   "LPT7",    "LPT8", "LPT9"};
    return std::find(std::begin(kDevices), std::end(kDevices), upperCasedName) != std::end(kDevices);
}

// GetFullPathNameW makes a path whose last name is a device, up to its first dot and without
// the blanks before that ("nul .txt", "COM1.x.lnk"), the device itself: "\\.\nul", in the
// caller's letter case. Not below a "\\server\share".
void takeForTheDevice(std::string_view lastName, PathKey& key) {
    size_t last = key.key.rfind('/') + 1;
    std::string_view name = std::string_view(key.key).substr(last);
    name = name.substr(0, name.find('.'));
    while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
    if (!isDevice(name)) return;
    // Every device name is ASCII: the same bytes begin the last name in the key and in the path.
    key.path = "\\\\.\\" + std::string(lastName.substr(0, name.size()));
    key.key = "//./" + std::string(name);
    key.device = true;
}

}  // namespace

bool windowsPathKeyOf(std::string_view productPath, PathKey& key) {
    std::string read, utf8;
    if (productPath.empty() || !readAsTheNarrowCallsDo(productPath, read)) return false;
    std::vector<std::string_view> names;
    names.reserve(16);
    splitNames(read, names);

    std::string root;
    size_t first = 0;
    std::string_view head = names[0];
    if (head.size() >= 2 && head[1] == ':' && !isCp932LeadByte(static_cast<uint8_t>(head[0]))) {
        root = head.substr(0, 2);
        if (head.size() == 2 && names.size() > 1) root += '\\';
        names[0] = head.substr(2);
    } else if (head.empty() && names.size() > 2 && names[1].empty()) {
        // \\server\share: both names belong to the root, which ".." never leaves.
        root = "\\\\" + std::string(names[2]) + "\\" + std::string(names.size() > 3 ? names[3] : "") + "\\";
        first = std::min<size_t>(4, names.size());
    } else if (head.empty() && names.size() > 1) {
        root = "\\";
    }

    std::vector<std::string_view> components;
    components.reserve(names.size());
    for (size_t i = first; i < names.size(); ++i) {
        if (names[i].empty() || names[i] == ".") continue;
        if (names[i] != "..") {
            components.push_back(names[i]);
        } else if (!components.empty()) {
            components.pop_back();
        }
    }
    const bool trailing = names.size() > 1 && names.back().empty() && !components.empty();
    if (!components.empty() && !trailing) {
        std::string_view& last = components.back();
        while (!last.empty() && (last.back() == '.' || last.back() == ' ')) last.remove_suffix(1);
        if (last.empty()) components.pop_back();
    }

    key.path = root;
    for (size_t i = 0; i < components.size(); ++i) {
        if (i > 0) key.path += '\\';
        key.path += components[i];
    }
    if (key.path.empty()) return false;
    cp932ToUtf8(key.path, utf8);
    for (char& c : utf8) {
        if (c == '\\') c = '/';
    }
    key.key = upperCased(utf8);
    key.trailingSeparator = trailing;
    key.device = false;
    if (!components.empty() && !trailing && first == 0) takeForTheDevice(components.back(), key);
    return true;
}

bool parentOf(const PathKey& child, PathKey& parent) {
    size_t cut = 0;
    for (size_t i = 0; i < child.path.size(); ++i) {
        if (isCp932LeadByte(static_cast<uint8_t>(child.path[i]))) {
            ++i;
        } else if (child.path[i] == '\\') {
            cut = i + 1;
        }
    }
    PathKey folder;
    // A root keeps its separator; any other folder is named without it.
    if (cut == 0 || !windowsPathKeyOf(child.path.substr(0, cut), folder) || folder.key == child.key) return false;
    parent = folder;
    parent.trailingSeparator = false;
    return true;
}

std::string parentKeyOf(const std::string& key) {
    if (key.empty() || key.back() == '/') return {};
    size_t last = key.rfind('/');
    if (last == std::string::npos) return {};
    std::string parent = key.substr(0, last + 1);
    // "C:/", "//SERVER/SHARE/" and "/" are roots, written with their separator; any other
    // folder without it.
    bool root = parent == "/" || (parent.size() == 3 && parent[1] == ':') ||
                (parent.rfind("//", 0) == 0 && parent.find('/', parent.find('/', 2) + 1) == parent.size() - 1);
    if (!root) parent.pop_back();
    return parent;
}

}  // namespace platform
