// Code page 932 as the product classifies it. Under Wine the process must run in a Japanese
// locale for the ANSI code page to be 932, as on the target systems.
#include <gtest/gtest.h>

#include <string>

#include "platform/code_page.h"
#include "platform/file_path.h"
#include "platform/text_encoding.h"

namespace {

TEST(CodePageContract, TheAnsiCodePageIs932) { EXPECT_EQ(platform::codePage().activeCodePage(), 932u); }

TEST(CodePageContract, LeadBytesAreThoseOfCodePage932) {
    platform::CodePage& codePage = platform::codePage();
    EXPECT_TRUE(codePage.isLeadByte(0x81));
    EXPECT_TRUE(codePage.isLeadByte(0x95));
    EXPECT_TRUE(codePage.isLeadByte(0x9F));
    EXPECT_TRUE(codePage.isLeadByte(0xE0));
    EXPECT_TRUE(codePage.isLeadByte(0xFC));
    EXPECT_FALSE(codePage.isLeadByte(0x5C));
    EXPECT_FALSE(codePage.isLeadByte(0x80));
    EXPECT_FALSE(codePage.isLeadByte(0xA0));  // half-width katakana are single bytes
    EXPECT_FALSE(codePage.isLeadByte(0xB7));
    EXPECT_FALSE(codePage.isLeadByte('A'));
}

TEST(CodePageContract, TheTrailByte5CofAKanjiIsNoSeparator) {
    const std::string path = "C:\\\x95\x5C";  // C:\表
    EXPECT_TRUE(platform::isPathSeparatorAt(path, 2));
    EXPECT_FALSE(platform::isPathSeparatorAt(path, 4));
    EXPECT_FALSE(platform::isSingleByteCharacterAt(path, 3));
}

TEST(CodePageContract, ConversionToAndFromUtf8RoundTripsAndRefusesWhatCodePage932Lacks) {
    std::string utf8;
    ASSERT_TRUE(platform::cp932ToUtf8("\x95\x5C\x83\x5C", utf8));  // 表ソ
    EXPECT_EQ(utf8, u8"表ソ");
    std::string back;
    ASSERT_TRUE(platform::utf8ToCp932(utf8, back));
    EXPECT_EQ(back, "\x95\x5C\x83\x5C");

    size_t badOffset = 99;
    EXPECT_FALSE(platform::utf8ToCp932(u8"ab\u00e9", back, &badOffset));  // é is not in code page 932
    EXPECT_EQ(badOffset, 2u);
}

TEST(CodePageContract, CharactersThatWouldOnlyMapOneWayAreRefused) {
    // Best-fit look-alikes: the yen sign would become a backslash, a path separator.
    for (const char* text : {u8"\u00a5", u8"\u301c", u8"\u2212", u8"\u2016", u8"\u00a2", u8"\u00a3", u8"\u00ac", u8"\u203e"}) {
        std::string cp932;
        size_t badOffset = 99;
        EXPECT_FALSE(platform::utf8ToCp932(std::string("ok") + text, cp932, &badOffset)) << text;
        EXPECT_EQ(badOffset, 2u) << text;
    }
    // Their code page 932 counterparts convert both ways.
    std::string cp932;
    EXPECT_TRUE(platform::utf8ToCp932(u8"\uff5e\uff0d\u2225\uffe5\\", cp932));
    EXPECT_EQ(cp932, "\x81\x60\x81\x7C\x81\x61\x81\x8F\x5C");
}

TEST(CodePageContract, PathsForTheNarrowCallsAreInTheAnsiCodePage) {
    std::string ansi;
    ASSERT_TRUE(platform::utf8ToAnsiCodePage(u8"C:\\表\\a.txt", ansi));
    EXPECT_EQ(ansi, "C:\\\x95\x5C\\a.txt");
    EXPECT_FALSE(platform::utf8ToAnsiCodePage(u8"\u00a5", ansi)) << "the yen sign would become a separator";
}

}  // namespace
