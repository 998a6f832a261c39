#include "app/confirmation_texts.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

manifest::UpdateHeader headerWith(const char* title, const char* updateName, const char* note) {
    manifest::UpdateHeader header{};
    std::strcpy(header.title, title);
    std::strcpy(header.updateName, updateName);
    std::strcpy(header.note, note);
    return header;
}

TEST(ConfirmationTexts, NormalModeShowsTheHeaderAndRemovalSaysThatFilesAreDeleted) {
    manifest::UpdateHeader header = headerWith("サンプル製品", "サンプル製品 Ver1.01", "データを書き換えます");
    app::ConfirmationTexts normal = app::confirmationTexts(header, false);
    EXPECT_EQ(normal.caption, "サンプル製品");
    EXPECT_EQ(normal.message, "サンプル製品 Ver1.01を行います");
    EXPECT_EQ(normal.note, "データを書き換えます");

    app::ConfirmationTexts removal = app::confirmationTexts(header, true);
    EXPECT_EQ(removal.caption, "サンプル製品ファイルの削除");
    EXPECT_EQ(removal.message, "サンプル製品 Ver1.01ファイルの削除を行います");
    EXPECT_EQ(removal.note, "データを書き換えます");
}

TEST(ConfirmationTexts, EmptyFieldsLeaveOnlyTheFixedWords) {
    manifest::UpdateHeader empty{};
    app::ConfirmationTexts normal = app::confirmationTexts(empty, false);
    EXPECT_EQ(normal.caption, "");
    EXPECT_EQ(normal.message, "を行います");
    EXPECT_EQ(normal.note, "");
    app::ConfirmationTexts removal = app::confirmationTexts(empty, true);
    EXPECT_EQ(removal.caption, "ファイルの削除");
    EXPECT_EQ(removal.message, "ファイルの削除を行います");
    EXPECT_EQ(removal.note, "");
}

TEST(ConfirmationTexts, FieldsAreTakenByteForByteAndNeverBeyondTheirWidth) {
    // 表 and ソ end in 0x5C, the backslash byte; nothing may treat it as a character of its own.
    app::ConfirmationTexts texts = app::confirmationTexts(headerWith("表ソ", "表ソ\\", "ｱｲｳ"), true);
    EXPECT_EQ(texts.caption, "表ソファイルの削除");
    EXPECT_EQ(texts.message, "表ソ\\ファイルの削除を行います");
    EXPECT_EQ(texts.note, "ｱｲｳ");

    manifest::UpdateHeader unterminated = headerWith("", "次の欄", "");
    std::memset(unterminated.title, 'T', sizeof unterminated.title);
    EXPECT_EQ(app::confirmationTexts(unterminated, false).caption, std::string(128, 'T'));
}

}  // namespace
