#include <gtest/gtest.h>

#include <string>

#include "tests/tools/patchkit_runner.h"
#include "tools/patchkit/description.h"

namespace {

using patchkit::Findings;
using patchkit::PackageDescription;

struct Parsed {
    bool ok;
    PackageDescription description;
    Findings findings;
};

Parsed parse(const std::string& json) {
    Parsed p;
    p.ok = patchkit::parseDescription(json, "desc.json", p.description, p.findings);
    return p;
}

// A minimal update section with one field set to `value` (JSON text).
std::string updateWith(const std::string& field, const std::string& value) {
    return u8R"({"update": {"registryKey": "K", "registryValue": "V", ")" + field + "\": " + value + "}}";
}

// The one error of a parse, as "field: reason".
std::string onlyError(const Parsed& p) {
    if (p.findings.all().size() != 1) return "findings: " + std::to_string(p.findings.all().size());
    const patchkit::Finding& f = p.findings.all()[0];
    EXPECT_EQ(f.file, "desc.json");
    return f.field + ": " + f.reason;
}

TEST(DescriptionTest, TextsArriveInCodePage932InTheirSlots) {
    Parsed p = parse(patchkit_testing::kSampleDescription);
    ASSERT_TRUE(p.ok) << p.findings.all().size();
    ASSERT_TRUE(p.description.hasUpdate);
    ASSERT_TRUE(p.description.hasInstall);
    const patchkit::UpdateDescription& u = p.description.update;
    // Narrow literals are code page 932 in this build.
    EXPECT_EQ(u.title, "サンプル製品 アップデート");
    EXPECT_EQ(u.registryKey, "Software\\Maker\\Sample");
    EXPECT_EQ(u.carriedStrings[2], "メモ");
    EXPECT_EQ(u.shortcuts[0].nameTemplate, "%s");
    EXPECT_TRUE(u.shortcuts[1].nameTemplate.empty());
    EXPECT_EQ(u.shortcuts[2].target, "Sample.exe /settings");
    EXPECT_TRUE(u.shortcuts[7].nameTemplate.empty());
    EXPECT_EQ(u.extras.extra, 7u);
    EXPECT_EQ(u.extras.extraFor("表\\ソ.txt"), 9u);
    EXPECT_EQ(u.extras.extraFor("Sample.exe"), 7u);
    EXPECT_EQ(p.description.install.shortcutFolderTemplate, "%s\\");
    EXPECT_EQ(p.description.install.carriedStrings[0], "1.0");
}

TEST(DescriptionTest, CharacterThatCodePage932LacksIsAnErrorNamingFieldAndCharacter) {
    EXPECT_EQ(onlyError(parse(updateWith("title", u8R"("Caf\u00e9")"))),
              u8"update.title: \u201C\u00E9\u201D (U+00E9) at character 4 has no code page 932 form");
    // Written as escapes: a macro's text becomes a narrow literal, which cannot hold them.
    std::string snowman = onlyError(parse(updateWith("note", u8"\"雪だるま\u2603\"")));
    EXPECT_EQ(snowman, u8"update.note: \u201C\u2603\u201D (U+2603) at character 5 has no code page 932 form");
    std::string emoji = onlyError(parse(updateWith("productName", u8"\"\U0001F600\"")));
    EXPECT_EQ(emoji, u8"update.productName: \u201C\U0001F600\u201D (U+1F600) at character 1 has no code page 932 form");
}

TEST(DescriptionTest, CharactersWindowsRefusesAreRefusedOnEveryBuild) {
    // The JIS forms that a host converter may take onto code page 932 bytes of other
    // characters; the yen sign would even become a backslash.
    const std::pair<const char*, const char*> refused[] = {
        {u8"\"a\u00A5b\"", "U+00A5"}, {u8"\"\u301C\"", "U+301C"}, {u8"\"\u2212\"", "U+2212"},
        {u8"\"\u2016\"", "U+2016"}, {u8"\"\u00A2\"", "U+00A2"}, {u8"\"\u2014\"", "U+2014"},
    };
    for (const auto& [text, codePoint] : refused) {
        std::string error = onlyError(parse(updateWith("title", text)));
        EXPECT_NE(error.find(std::string("(") + codePoint + ") at character"), std::string::npos) << error;
    }
    // Their Windows counterparts are code page 932 characters.
    Parsed accepted = parse(updateWith("title", u8"\"\uFF5E\uFF0D\u2225\uFFE0\u2015\""));
    ASSERT_TRUE(accepted.ok);
    EXPECT_EQ(accepted.description.update.title, "\x81\x60\x81\x7C\x81\x61\x81\x91\x81\x5C");
}

TEST(DescriptionTest, TextMayTakeOneByteLessThanItsField) {
    std::string kanji63;
    for (int i = 0; i < 63; ++i) kanji63 += u8"表";
    EXPECT_TRUE(parse(updateWith("title", "\"" + kanji63 + "a\"")).ok);  // 127 bytes in code page 932
    EXPECT_EQ(onlyError(parse(updateWith("title", "\"" + kanji63 + u8"表\""))),
              "update.title: takes 128 bytes in code page 932; the field holds 127 and its terminator");
    std::string target(259, 'x');
    EXPECT_TRUE(parse(updateWith("shortcuts", "[{\"nameTemplate\": \"n\", \"target\": \"" + target + "\"}]")).ok);
    EXPECT_FALSE(parse(updateWith("shortcuts", "[{\"nameTemplate\": \"n\", \"target\": \"" + target + "x\"}]")).ok);
}

TEST(DescriptionTest, MisspeltAndMisplacedFieldsAreRefused) {
    EXPECT_EQ(onlyError(parse(updateWith("tilte", "\"x\""))), "update.tilte: is not a field of update");
    EXPECT_EQ(onlyError(parse(R"({"install": {"registryKey": "K"}})")), "install.registryKey: is not a field of install");
    EXPECT_EQ(onlyError(parse(R"({"updates": {}})")), "updates: is not a field of a description");
    EXPECT_TRUE(parse(updateWith("comment", "\"anything\"")).ok);
}

TEST(DescriptionTest, RegistryNamesAreRequired) {
    Parsed p = parse(R"({"update": {"registryKey": ""}})");
    ASSERT_EQ(p.findings.all().size(), 2u);
    EXPECT_EQ(p.findings.all()[0].field, "update.registryKey");
    EXPECT_EQ(p.findings.all()[0].reason, "must not be empty");
    EXPECT_EQ(p.findings.all()[1].field, "update.registryValue");
    EXPECT_EQ(p.findings.all()[1].reason, "is required");
}

TEST(DescriptionTest, ShortcutSlotsAreCheckedOneByOne) {
    EXPECT_EQ(onlyError(parse(updateWith("shortcuts", "[null,null,null,null,null,null,null,null,null]"))),
              "update.shortcuts: must be an array of at most 8 slots");
    EXPECT_EQ(onlyError(parse(updateWith("shortcuts", R"([null, {"target": "a.exe"}])"))),
              "update.shortcuts[1].nameTemplate: is empty, which marks the slot unused, yet a target is given");
    EXPECT_EQ(onlyError(parse(updateWith("shortcuts", R"([{"nameTemplate": "%s"}])"))),
              "update.shortcuts[0].target: is required for a slot in use");
    EXPECT_EQ(onlyError(parse(updateWith("shortcuts", R"([{"nameTemplate": "%s", "target": "a", "icon": 1}])"))),
              "update.shortcuts[0].icon: is not a field of update.shortcuts[0]");
}

TEST(DescriptionTest, TemplatesTakeOneStringArgumentAtMost) {
    auto slot = [](const std::string& nameTemplate) {
        return parse(updateWith("shortcuts", "[{\"nameTemplate\": \"" + nameTemplate + "\", \"target\": \"a.exe\"}]"));
    };
    EXPECT_TRUE(slot("%s").ok);
    EXPECT_TRUE(slot("100%% %s").ok);
    EXPECT_TRUE(slot("Manual").ok);
    EXPECT_EQ(onlyError(slot("%d")), "update.shortcuts[0].nameTemplate: holds \"%d\"; only \"%s\" and \"%%\" may appear");
    EXPECT_EQ(onlyError(slot("%s %s")), "update.shortcuts[0].nameTemplate: holds more than one \"%s\"; the template gets one argument");
    EXPECT_EQ(onlyError(slot("50%")), "update.shortcuts[0].nameTemplate: ends in a lone '%'");
    EXPECT_EQ(onlyError(parse(R"({"install": {"shortcutFolderTemplate": "%n"}})")),
              "install.shortcutFolderTemplate: holds \"%n\"; only \"%s\" and \"%%\" may appear");
}

TEST(DescriptionTest, ExtraValuesAreUnsigned32Bit) {
    EXPECT_TRUE(parse(updateWith("extra", "4294967295")).ok);
    for (const char* bad : {"4294967296", "-1", "1.5", "\"1\""}) {
        EXPECT_EQ(onlyError(parse(updateWith("extra", bad))), "update.extra: must be a whole number from 0 to 4294967295") << bad;
    }
    EXPECT_EQ(onlyError(parse(updateWith("entryExtra", R"({"a.txt": -2})"))),
              "update.entryExtra[\"a.txt\"]: must be a whole number from 0 to 4294967295");
}

TEST(DescriptionTest, EntryExtraMatchesNamesAsTheRecordDoes) {
    Parsed p = parse(updateWith("entryExtra", u8R"({"Bin/App.EXE": 3, "表/": 4, "docs": 5})"));
    ASSERT_TRUE(p.ok);
    const patchkit::EntryExtras& extras = p.description.update.extras;
    EXPECT_EQ(extras.extraFor("bin\\app.exe"), 3u);
    EXPECT_EQ(extras.extraFor("表\\"), 4u);
    EXPECT_EQ(extras.extraFor("docs\\"), 5u);  // a folder may be named without its separator
    EXPECT_EQ(extras.extraFor("bin\\other.exe"), 0u);
}

TEST(DescriptionTest, BrokenJsonIsReportedWithItsPosition) {
    Parsed p = parse("{\n  \"update\": {,\n}");
    ASSERT_EQ(p.findings.all().size(), 1u);
    EXPECT_EQ(p.findings.all()[0].field, "");
    EXPECT_EQ(p.findings.all()[0].reason.rfind("parse error at line 2, column 14", 0), 0u) << p.findings.all()[0].reason;
    EXPECT_EQ(onlyError(parse("[1]")), ": must hold one JSON object");
}

}  // namespace
