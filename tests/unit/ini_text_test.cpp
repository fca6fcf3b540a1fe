#include "settings/ini_text.h"

#include <gtest/gtest.h>

#include <string>

#include "windows_profile_reader.h"

using settings::DecodeProfile;
using settings::EncodeProfile;
using settings::KeyValue;
using settings::ProfileText;
using settings::SetProfileValues;

namespace {

std::u16string U(std::string_view s) { return std::u16string(s.begin(), s.end()); }
std::string A(const std::u16string& s) { return std::string(s.begin(), s.end()); }

std::string Set(std::string_view text, std::initializer_list<KeyValue> values) {
    std::u16string units = U(text);
    SetProfileValues(units, u"SYSTEM", {values.begin(), values.size()});
    return A(units);
}

TEST(IniText, EditsOnlyTheLinesOfTheKeysItWrites) {
    struct Case {
        const char* name;
        const char* before;
        const char* after;
    };
    const Case cases[] = {
        {"new file", "", "[SYSTEM]\r\nDRAWMODE=1\r\nLINEKIND=0\r\n"},
        {"replaced in place, spacing elsewhere kept",
         "; top\r\n[other]\r\n  key = spaced  \r\n\r\n[SYSTEM]\r\nLINEKIND = 3 \r\n  drawmode=5\r\n\r\n[last]\r\nx=1",
         "; top\r\n[other]\r\n  key = spaced  \r\n\r\n[SYSTEM]\r\nLINEKIND=0\r\nDRAWMODE=1\r\n\r\n[last]\r\nx=1"},
        {"missing key goes after the section's last line, before the blank lines", "[SYSTEM]\nA=1\n\n\n[next]\nB=2\n",
         "[SYSTEM]\nA=1\nDRAWMODE=1\nLINEKIND=0\n\n\n[next]\nB=2\n"},
        {"last line without an ending", "[system]\nA=1", "[system]\nA=1\nDRAWMODE=1\nLINEKIND=0"},
        {"section added at the end", "[other]\r\nx=1", "[other]\r\nx=1\r\n[SYSTEM]\r\nDRAWMODE=1\r\nLINEKIND=0\r\n"},
        {"only the first of duplicated sections and keys",
         "[SYSTEM]\r\nDRAWMODE=5\r\nDRAWMODE=6\r\n[ SYSTEM ]\r\nLINEKIND=9\r\n",
         "[SYSTEM]\r\nDRAWMODE=1\r\nDRAWMODE=6\r\nLINEKIND=0\r\n[ SYSTEM ]\r\nLINEKIND=9\r\n"},
        {"a key line without a value is the key", "[SYSTEM]\nDRAWMODE\nLINEKIND=\n",
         "[SYSTEM]\nDRAWMODE=1\nLINEKIND=0\n"},
        {"a header without its bracket is a section to Windows only", "[SYSTEM\nDRAWMODE=3\n",
         "[SYSTEM\nDRAWMODE=1\nLINEKIND=0\n[SYSTEM]\nDRAWMODE=1\nLINEKIND=0\n"},
        {"lone CR endings", "[SYSTEM]\rA=1\r", "[SYSTEM]\rA=1\rDRAWMODE=1\rLINEKIND=0\r"},
        {"a header ends at its first bracket for Windows, its last for Wine", "[SYSTEM] junk ] x\nA=1\n",
         "[SYSTEM] junk ] x\nA=1\nDRAWMODE=1\nLINEKIND=0\n[SYSTEM]\nDRAWMODE=1\nLINEKIND=0\n"},
        {"a semicolon line is a comment to Windows, a key of another name to Wine", "[SYSTEM]\n;DRAWMODE=5\n",
         "[SYSTEM]\n;DRAWMODE=5\nDRAWMODE=1\nLINEKIND=0\n"},
        {"a form feed is blank to Wine only: each reader's first line is set", "[SYSTEM]\n\fDRAWMODE=5\n",
         "[SYSTEM]\nDRAWMODE=1\nDRAWMODE=1\nLINEKIND=0\n"},
        {"trimmed header name, blank line kept after the keys", "  [ system ]\t\r\n\r\n\r\n[x]",
         "  [ system ]\t\r\nDRAWMODE=1\r\nLINEKIND=0\r\n\r\n\r\n[x]"},
    };
    for (const Case& c : cases) EXPECT_EQ(Set(c.before, {{u"DRAWMODE", u"1"}, {u"LINEKIND", u"0"}}), c.after) << c.name;
}

TEST(IniText, EncodingsWindowsReadsRoundTripByteForByte) {
    const std::string files[] = {
        std::string("\xFF\xFE[\0S\0]\0\r\0\n\0", 12),
        std::string("\xFF\xFE[\0x", 5),  // odd length
        std::string("bin\0\xff\x80\r\n", 8),
        std::string(),
    };
    for (const std::string& bytes : files) EXPECT_EQ(EncodeProfile(DecodeProfile(bytes)), bytes);
}

TEST(IniText, MarksWindowsDoesNotReadAreDroppedOrTurned) {
    // A UTF-8 mark goes and the rest stays as it was; big-endian UTF-16 becomes little-endian.
    EXPECT_EQ(EncodeProfile(DecodeProfile("\xEF\xBB\xBF[SYSTEM]\r\nA=\xE3\x81\x82\r\n")),
              "[SYSTEM]\r\nA=\xE3\x81\x82\r\n");
    EXPECT_EQ(EncodeProfile(DecodeProfile(std::string("\xFE\xFF\0[\0S\0]\x30\x42", 10))),
              std::string("\xFF\xFE[\0S\0]\0\x42\x30", 10));
}

TEST(IniText, WindowsReadsBackEveryValueWrittenIntoAwkwardFiles) {
    const std::string files[] = {
        "\xEF\xBB\xBF[SYSTEM]\r\nDRAWMODE=5\r\n",  // Notepad's "UTF-8"
        std::string("\xFE\xFF\0[\0S\0Y\0S\0T\0E\0M\0]\0\n\0L\0I\0N\0E\0K\0I\0N\0D\0=\0\x37", 40),
        "[SYSTEM] ] x\nLINEKIND=7\n[SYSTEM]\nDRAWMODE=4\n",
        "[other]\nx=1\n[SYSTEM\nDRAWMODE=3\n[SYSTEM]\nLINEKIND=3\n",
        "[ system ]\n ; LINEKIND=4\n\vDRAWMODE = 9\n",
        "[SYSTEM]]\nDRAWMODE=1\n[SYSTEM]\nDRAWMODE=2\n",
    };
    for (const std::string& bytes : files) {
        ProfileText text = DecodeProfile(bytes);
        const KeyValue values[] = {{u"DRAWMODE", u"1"}, {u"LINEKIND", u"0"}};
        SetProfileValues(text.units, u"SYSTEM", values);
        const std::string saved = EncodeProfile(text);
        for (const KeyValue& kv : values)
            EXPECT_EQ(testing_support::WindowsProfileValue(saved, u"SYSTEM", kv.first), std::u16string(kv.second))
                << A(std::u16string(kv.first)) << " in " << bytes;
    }
}

TEST(IniText, ADoubleByteCharacterHidesTheBracketOrLineBreakAfterItsLeadByte) {
    const auto shiftJisLead = [](unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); };
    // "\x81[" is one character: the line is no header. "\xE5\r" eats the line break.
    const std::string bytes = "\x81[SYSTEM]\r\nl\xE5\r[SYSTEM]\r\nA=1\r\n";
    ProfileText text = DecodeProfile(bytes, shiftJisLead);
    EXPECT_EQ(EncodeProfile(text), bytes);
    const KeyValue value{u"DRAWMODE", u"1"};
    SetProfileValues(text.units, u"SYSTEM", {&value, 1});
    EXPECT_EQ(EncodeProfile(text), bytes + "[SYSTEM]\r\nDRAWMODE=1\r\n");
}

TEST(IniText, Utf16FilesStayUtf16WhenEdited) {
    ProfileText text = DecodeProfile(std::string("\xFF\xFE[\0o\0]\0\r\0\n\0", 12));
    ASSERT_EQ(text.encoding, ProfileText::Encoding::Utf16Le);
    const KeyValue value{u"DRAWMODE", u"1"};
    SetProfileValues(text.units, u"SYSTEM", {&value, 1});
    EXPECT_EQ(text.units, u"[o]\r\n[SYSTEM]\r\nDRAWMODE=1\r\n");
    const std::string bytes = EncodeProfile(text);
    EXPECT_EQ(bytes.substr(0, 4), std::string("\xFF\xFE[\0", 4));
    EXPECT_EQ(bytes.size(), 2 + 2 * text.units.size());
}

}  // namespace
