#include "ui/version_text.h"

#include <gtest/gtest.h>

namespace {

TEST(VersionLine, FormatsTheVersionWithItsReplacementsAndATrailingBlank) {
    struct Case {
        const wchar_t* text;
        const wchar_t* line;
    };
    const Case cases[] = {
        {L"Ver.:1.0.1.106", L"Vireon Ver.:1.0.1.106 "},
        {L"Ver.:1, 0, 1, 106", L"Vireon Ver.:1- 0- 1- 106 "},
        {L"Ver.:1;0", L"Vireon Ver.:1.0 "},
        {L"Ver.:,;,;", L"Vireon Ver.:-.-. "},
        {L"", L"Vireon  "},  // nothing could be read
    };
    for (const Case& c : cases) EXPECT_EQ(FormatVersionLine(c.text), c.line);
}

}  // namespace
