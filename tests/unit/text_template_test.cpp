#include <gtest/gtest.h>

#include <string>

#include "support/text_template.h"

namespace {

using support::TemplateFault;

TEST(TextTemplate, TheFirstPercentSTakesTheArgumentAndEveryOtherConversionIsRefused) {
    struct Row {
        std::string pattern, argument, text;
        TemplateFault fault;
        size_t faultAt;
    } rows[] = {
        {"%s\\", "製品", "製品\\", TemplateFault::None, 0},
        {"100%% %s", "100%", "100% 100%", TemplateFault::None, 0},
        {"%%s", "x", "%s", TemplateFault::None, 0},
        {"plain", "x", "plain", TemplateFault::None, 0},
        {"%s and %s", "x", "", TemplateFault::SecondString, 7},
        {"a%d", "x", "", TemplateFault::OtherConversion, 1},
        {"%S", "x", "", TemplateFault::OtherConversion, 0},
        {"%ア", "x", "", TemplateFault::OtherConversion, 0},
        {"50%", "x", "", TemplateFault::LonePercent, 2},
    };
    for (const Row& row : rows) {
        support::ExpandedTemplate expanded = support::expandTemplate(row.pattern, row.argument);
        EXPECT_EQ(expanded.text, row.text) << row.pattern;
        EXPECT_EQ(expanded.fault, row.fault) << row.pattern;
        EXPECT_EQ(expanded.faultAt, row.faultAt) << row.pattern;
    }
}

}  // namespace
