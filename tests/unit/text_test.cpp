// The text rules every layer shares.
#include <gtest/gtest.h>

#include "platform/text.h"
#include "platform/text_encoding.h"

namespace {

TEST(Text, OnlyAToZFoldAndTrailBytesFoldToo) {
    EXPECT_TRUE(platform::equalsIgnoringAsciiCase("Dir\\FILE.Txt", "dir\\file.txt"));
    EXPECT_TRUE(platform::equalsIgnoringAsciiCase("\x83\x41", "\x83\x61")) << "ア and ヂ: the trail byte folds";
    EXPECT_FALSE(platform::equalsIgnoringAsciiCase("\x82\x60", "\x82\x81")) << "full-width Ａ and ａ";
    EXPECT_FALSE(platform::equalsIgnoringAsciiCase("con", "con.txt"));
    EXPECT_EQ(platform::foldedAsciiCase("@AZ[`az{\xC1"), "@az[`az{\xC1");
}

TEST(Text, LeadBytesOfCodePage932) {
    // 表 is 0x95 0x5C; half-width katakana (0xA1-0xDF) are single bytes.
    for (uint8_t lead : {0x81, 0x95, 0x9F, 0xE0, 0xFC}) EXPECT_TRUE(platform::isCp932LeadByte(lead)) << int(lead);
    for (uint8_t single : {0x00, 0x5C, 0x7F, 0x80, 0xA0, 0xB1, 0xDF, 0xFD, 0xFF}) {
        EXPECT_FALSE(platform::isCp932LeadByte(single)) << int(single);
    }
}

TEST(Text, Utf8SequenceLengthsAndAByteThatStartsNoneCountsAsOne) {
    const std::pair<uint8_t, size_t> cases[] = {{'a', 1}, {0x7F, 1}, {0xC3, 2}, {0xDF, 2}, {0xE3, 3}, {0xEF, 3},
                                                {0xF0, 4}, {0xF4, 4}, {0x80, 1}, {0xBF, 1}, {0xF8, 1}, {0xFF, 1}};
    for (auto [lead, length] : cases) EXPECT_EQ(platform::utf8SequenceLength(lead), length) << int(lead);
}

TEST(Text, CodePage932IsShownAsUtf8AndAnythingElseAsItIs) {
    EXPECT_EQ(platform::utf8OrRawBytes("\x95\x5C.txt"), u8"表.txt");
    EXPECT_EQ(platform::utf8OrRawBytes("ab\x81"), "ab\x81") << "a lead byte without its trail byte";
}

}  // namespace
