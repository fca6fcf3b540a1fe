// Reading the program's dialog templates, and the font rule of the dialog
// framework the program's dialogs were designed with. Plain data work, so it
// is built and tested natively as well.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace win {

struct TemplateFont {
    std::uint16_t points = 0;
    std::uint16_t weight = 0;
    std::uint8_t italic = 0;
    std::uint8_t charset = 0;
    std::u16string face;
    bool operator==(const TemplateFont&) const = default;
};

struct TemplateControl {
    std::int32_t id = 0;
    std::uint32_t style = 0;
    std::uint32_t exStyle = 0;
    std::int16_t x = 0, y = 0, cx = 0, cy = 0;
    std::u16string className;     // empty for a predefined class given by atom
    std::uint16_t classAtom = 0;  // 0x80 button, 0x82 static, ...; 0 for a named class
    std::u16string text;
    bool operator==(const TemplateControl&) const = default;
};

// An extended dialog template (DLGTEMPLATEEX), the form of every template of
// the program, as it is stored.
struct DialogTemplate {
    std::uint32_t style = 0;
    std::uint32_t exStyle = 0;
    std::int16_t x = 0, y = 0, cx = 0, cy = 0;
    std::optional<TemplateFont> font;  // with DS_SETFONT
    std::size_t fontAt = 0;            // byte offsets of the font fields and of the first control
    std::size_t controlsAt = 0;
    std::vector<TemplateControl> controls;
};

// Nothing when the bytes are no extended template or end too early.
std::optional<DialogTemplate> ReadDialogTemplate(const std::uint8_t* bytes, std::size_t size);

// A copy of a template (read from the same bytes) with another font.
std::vector<std::uint8_t> WithFont(const std::uint8_t* bytes, std::size_t size, const DialogTemplate& read,
                                   const TemplateFont& font);

// The font the dialog framework gives a template on a system with double-byte
// character sets: "MS Shell Dlg", "MS Sans Serif" and "Helv" become the face
// of the stock GUI font, and their 8 points its size; other sizes stay, as do
// other faces and every non-DBCS system (nothing then). Only templates in an
// East Asian `language` (a LANGID) take it: the others were laid out for the
// faces they name, and an English Windows may well run with a Japanese,
// Chinese or Korean system locale.
std::optional<TemplateFont> FrameworkDialogFont(const TemplateFont& font, bool dbcsSystem, std::uint16_t language,
                                                const std::u16string& guiFace, std::uint16_t guiPoints);

}  // namespace win
