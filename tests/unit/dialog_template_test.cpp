// Dialog templates read as stored, rewritten with another font, and the
// framework's font rule for double-byte systems.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "win/dialog_template.h"

namespace {

using win::TemplateFont;

// A DLGTEMPLATEEX as the resource compiler lays it out, with two controls:
// a push button by atom and a trackbar by class name, one with creation data.
std::vector<std::uint8_t> MakeTemplate(const TemplateFont& font) {
    std::vector<std::uint8_t> out;
    const auto put = [&out](auto value) {
        const auto* raw = reinterpret_cast<const std::uint8_t*>(&value);
        out.insert(out.end(), raw, raw + sizeof value);
    };
    const auto text = [&](const std::u16string& s) {
        for (const char16_t c : s) put(c);
        put(char16_t{0});
    };
    const auto align = [&out] {
        while (out.size() % 4) out.push_back(0);
    };
    put(std::uint16_t{1});
    put(std::uint16_t{0xFFFF});
    put(std::uint32_t{0});           // help id
    put(std::uint32_t{0x200});       // ex style
    put(std::uint32_t{0x80C80048});  // WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_SETFONT | DS_FIXEDSYS
    put(std::uint16_t{2});
    for (const std::int16_t v : {0, 0, 334, 201}) put(v);
    put(std::uint16_t{0});  // no menu
    put(std::uint16_t{0});  // the dialog class
    text(u"設定");
    put(font.points);
    put(font.weight);
    put(font.italic);
    put(font.charset);
    text(font.face);
    align();
    put(std::uint32_t{0});
    put(std::uint32_t{0});
    put(std::uint32_t{0x50010001});  // BS_DEFPUSHBUTTON | WS_TABSTOP | WS_VISIBLE | WS_CHILD
    for (const std::int16_t v : {24, 180, 50, 14}) put(v);
    put(std::int32_t{1});
    put(std::uint16_t{0xFFFF});
    put(std::uint16_t{0x80});
    text(u"OK");
    put(std::uint16_t{2});
    put(std::uint16_t{0xABCD});  // creation data
    align();
    put(std::uint32_t{0});
    put(std::uint32_t{0});
    put(std::uint32_t{0x50010000});
    for (const std::int16_t v : {186, 24, 120, 15}) put(v);
    put(std::int32_t{1024});
    text(u"msctls_trackbar32");
    text(u"");
    put(std::uint16_t{0});
    return out;
}

const TemplateFont kShellDlg{8, 400, 0, 1, u"MS Shell Dlg"};

TEST(DialogTemplate, ReadsTheDialogAndItsControlsAsStored) {
    const std::vector<std::uint8_t> bytes = MakeTemplate(kShellDlg);
    const auto read = win::ReadDialogTemplate(bytes.data(), bytes.size());
    ASSERT_TRUE(read);
    EXPECT_EQ(read->style, 0x80C80048u);
    EXPECT_EQ(read->exStyle, 0x200u);
    EXPECT_EQ(read->cx, 334);
    EXPECT_EQ(read->cy, 201);
    EXPECT_EQ(read->font, kShellDlg);
    ASSERT_EQ(read->controls.size(), 2u);
    EXPECT_EQ(read->controls[0].id, 1);
    EXPECT_EQ(read->controls[0].classAtom, 0x80);
    EXPECT_EQ(read->controls[0].text, u"OK");
    EXPECT_EQ(read->controls[0].y, 180);
    EXPECT_EQ(read->controls[1].id, 1024);
    EXPECT_EQ(read->controls[1].className, u"msctls_trackbar32");
    EXPECT_EQ(read->controls[1].cx, 120);

    // Cut anywhere, or not an extended template: nothing, and nothing read past the end.
    for (std::size_t cut = 0; cut < bytes.size(); cut += 3)
        EXPECT_FALSE(win::ReadDialogTemplate(bytes.data(), cut)) << cut;
    std::vector<std::uint8_t> plain = bytes;
    plain[2] = 0;
    plain[1] = 0;
    EXPECT_FALSE(win::ReadDialogTemplate(plain.data(), plain.size()));
}

TEST(DialogTemplate, AnotherFontLeavesEveryControlAsItWas) {
    const std::vector<std::uint8_t> bytes = MakeTemplate(kShellDlg);
    const auto read = win::ReadDialogTemplate(bytes.data(), bytes.size());
    ASSERT_TRUE(read);
    // Faces one character longer and shorter move the controls by two bytes either way.
    for (const std::u16string face : {u"MS UI Gothic", u"MS UI Gothic1", u"Helv"}) {
        const TemplateFont font{9, 400, 0, 1, face};
        const std::vector<std::uint8_t> copy = win::WithFont(bytes.data(), bytes.size(), *read, font);
        const auto again = win::ReadDialogTemplate(copy.data(), copy.size());
        ASSERT_TRUE(again);
        EXPECT_EQ(again->font, font);
        EXPECT_EQ(again->controlsAt % 4, 0u);
        EXPECT_EQ(again->controls, read->controls);
        EXPECT_EQ(again->cx, read->cx);
    }
}

TEST(DialogTemplate, TheFrameworkGivesDoubleByteSystemsTheGuiFontForTheOldShellFaces) {
    const struct {
        std::u16string face;
        std::uint16_t points;
        bool dbcs;
        std::optional<std::uint16_t> becomes;  // the new size, or nothing when the template stays
        std::uint16_t language = 0x0411;       // the template's: Japanese
    } cases[] = {
        {u"MS Shell Dlg", 8, true, 9},
        {u"MS Sans Serif", 8, true, 9},
        {u"Helv", 8, true, 9},
        {u"MS Shell Dlg", 10, true, 10},
        {u"MS Sans Serif", 10, true, 10},
        {u"Helv", 10, true, 10},
        {u"MS Shell Dlg", 8, false, {}},
        {u"MS UI Gothic", 9, true, {}},
        {u"MS Shell Dlg 2", 8, true, {}},
        {u"ms shell dlg", 8, true, {}},
        // An English template on an English Windows with an East Asian system locale stays as designed.
        {u"MS Shell Dlg", 8, true, {}, 0x0409},
        {u"MS Shell Dlg", 8, true, 9, 0x0804},
        {u"MS Shell Dlg", 8, true, 9, 0x0412},
    };
    for (const auto& c : cases) {
        const TemplateFont font{c.points, 700, 1, 128, c.face};
        const auto given = win::FrameworkDialogFont(font, c.dbcs, c.language, u"MS UI Gothic", 9);
        ASSERT_EQ(given.has_value(), c.becomes.has_value()) << c.points;
        if (!given) continue;
        EXPECT_EQ(given->face, u"MS UI Gothic");
        EXPECT_EQ(given->points, *c.becomes);
        EXPECT_EQ(given->weight, 700);  // the rest of the template's font stays
        EXPECT_EQ(given->charset, 128);
    }
}

}  // namespace
