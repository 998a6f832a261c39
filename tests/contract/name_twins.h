#pragma once

// Pairs of names below one folder (which holds a folder "dir"), and whether Windows opens one
// file for both. Code page 932 bytes.
namespace contract {

struct NameTwins {
    const char* first;
    const char* second;
    bool oneFileOnWindows;
    const char* why;
};

inline constexpr NameTwins kNameTwins[] = {
    {"A.txt", "a.txt", true, "ASCII letter case"},
    {"Ａｂ.txt", "ａＢ.txt", true, "full-width letter case"},
    {"α.txt", "Α.txt", true, "Greek letter case"},
    {"ё.txt", "Ё.txt", true, "Cyrillic letter case"},
    {"ⅳ.txt", "Ⅳ.txt", true, "Roman numerals"},
    {"ア.txt", "ヂ.txt", false, "trail bytes 0x41 and 0x61, not letters"},
    {"ｱ.txt", "ア.txt", false, "half-width and full-width katakana"},
    {"表a.txt", "表A.txt", true, "an ASCII letter after a trail byte 0x5C"},
    {"表a.txt", "表\\a.txt", false, "a trail byte 0x5C is no separator"},
    {"dir\\x.txt", "dir/x.txt", true, "'/' for '\\'"},
    {"dir\\x.txt", "dir\\\\x.txt", true, "a doubled separator"},
    {"dir\\x.txt", "dir\\.\\x.txt", true, "a \".\" component"},
    {"x.txt", "dir\\..\\x.txt", true, "a \"..\" component"},
    {"x.txt", "x.txt. ", true, "dots and blanks that end the name"},
    {"x.txt", "x.txt.bak", false, "another name"},
    {"\x81\x45.txt", "\x85\x40.txt", true, "a byte pair that is no character, which the narrow calls read as the default character"},
};

}  // namespace contract
