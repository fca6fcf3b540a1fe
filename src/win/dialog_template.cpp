#include "win/dialog_template.h"

#include <cstring>

namespace win {
namespace {

constexpr std::uint32_t kDsSetFont = 0x40;

// Reads the template's little-endian fields in order, each checked against its end.
class Reader {
public:
    Reader(const std::uint8_t* bytes, std::size_t size) noexcept : bytes_(bytes), size_(size) {}

    bool ok() const noexcept { return ok_; }
    std::size_t at() const noexcept { return at_; }

    template <class T>
    T Read() noexcept {
        T value{};
        if (!ok_ || size_ - at_ < sizeof(T)) {
            ok_ = false;
            return value;
        }
        std::memcpy(&value, bytes_ + at_, sizeof(T));
        at_ += sizeof(T);
        return value;
    }
    std::u16string String() noexcept {
        std::u16string text;
        for (char16_t c = Read<char16_t>(); ok_ && c; c = Read<char16_t>()) text.push_back(c);
        return text;
    }
    // A name or an ordinal: 0xFFFF then the number, else a string.
    void NameOrOrdinal(std::u16string& name, std::uint16_t& ordinal) noexcept {
        if (ok_ && size_ - at_ >= 2 && bytes_[at_] == 0xFF && bytes_[at_ + 1] == 0xFF) {
            at_ += 2;
            ordinal = Read<std::uint16_t>();
            return;
        }
        name = String();
    }
    void AlignToDword() noexcept { Skip((4 - at_ % 4) % 4); }
    void Skip(std::size_t count) noexcept {
        if (size_ - at_ < count) ok_ = false;
        if (ok_) at_ += count;
    }

private:
    const std::uint8_t* bytes_;
    std::size_t size_;
    std::size_t at_ = 0;
    bool ok_ = true;
};

template <class T>
void Append(std::vector<std::uint8_t>& out, T value) {
    const auto* raw = reinterpret_cast<const std::uint8_t*>(&value);
    out.insert(out.end(), raw, raw + sizeof(T));
}

}  // namespace

std::optional<DialogTemplate> ReadDialogTemplate(const std::uint8_t* bytes, std::size_t size) {
    if (!bytes) return std::nullopt;
    Reader in(bytes, size);
    if (in.Read<std::uint16_t>() != 1 || in.Read<std::uint16_t>() != 0xFFFF) return std::nullopt;
    DialogTemplate t;
    in.Read<std::uint32_t>();  // help id
    t.exStyle = in.Read<std::uint32_t>();
    t.style = in.Read<std::uint32_t>();
    const std::uint16_t count = in.Read<std::uint16_t>();
    t.x = in.Read<std::int16_t>();
    t.y = in.Read<std::int16_t>();
    t.cx = in.Read<std::int16_t>();
    t.cy = in.Read<std::int16_t>();
    std::u16string name;
    std::uint16_t ordinal = 0;
    in.NameOrOrdinal(name, ordinal);  // menu
    in.NameOrOrdinal(name, ordinal);  // class
    in.String();                      // title
    t.fontAt = in.at();
    if (t.style & kDsSetFont) {
        TemplateFont font;
        font.points = in.Read<std::uint16_t>();
        font.weight = in.Read<std::uint16_t>();
        font.italic = in.Read<std::uint8_t>();
        font.charset = in.Read<std::uint8_t>();
        font.face = in.String();
        t.font = font;
    }
    for (std::uint16_t i = 0; i < count && in.ok(); ++i) {
        in.AlignToDword();
        if (i == 0) t.controlsAt = in.at();
        TemplateControl c;
        in.Read<std::uint32_t>();  // help id
        c.exStyle = in.Read<std::uint32_t>();
        c.style = in.Read<std::uint32_t>();
        c.x = in.Read<std::int16_t>();
        c.y = in.Read<std::int16_t>();
        c.cx = in.Read<std::int16_t>();
        c.cy = in.Read<std::int16_t>();
        c.id = in.Read<std::int32_t>();
        in.NameOrOrdinal(c.className, c.classAtom);
        std::uint16_t textOrdinal = 0;
        in.NameOrOrdinal(c.text, textOrdinal);
        in.Skip(in.Read<std::uint16_t>());  // creation data
        t.controls.push_back(c);
    }
    if (count == 0) {
        in.AlignToDword();
        t.controlsAt = in.at();
    }
    if (!in.ok()) return std::nullopt;
    return t;
}

std::vector<std::uint8_t> WithFont(const std::uint8_t* bytes, std::size_t size, const DialogTemplate& read,
                                   const TemplateFont& font) {
    std::vector<std::uint8_t> out(bytes, bytes + read.fontAt);
    Append(out, font.points);
    Append(out, font.weight);
    Append(out, font.italic);
    Append(out, font.charset);
    for (const char16_t c : font.face) Append(out, c);
    Append(out, char16_t{0});
    // The controls start on a DWORD boundary, and each of them keeps its own
    // alignment when the whole block moves by a multiple of four.
    while (out.size() % 4) out.push_back(0);
    if (read.controlsAt < size) out.insert(out.end(), bytes + read.controlsAt, bytes + size);
    return out;
}

std::optional<TemplateFont> FrameworkDialogFont(const TemplateFont& font, bool dbcsSystem, std::uint16_t language,
                                                const std::u16string& guiFace, std::uint16_t guiPoints) {
    // Primary languages (the low ten bits): 0x04 Chinese, 0x11 Japanese, 0x12 Korean.
    const unsigned primary = language & 0x3FFu;
    const bool eastAsian = primary == 0x04 || primary == 0x11 || primary == 0x12;
    if (!dbcsSystem || !eastAsian || guiFace.empty()) return std::nullopt;
    if (font.face != u"MS Shell Dlg" && font.face != u"MS Sans Serif" && font.face != u"Helv") return std::nullopt;
    TemplateFont system = font;
    system.face = guiFace;
    if (font.points == 8) system.points = guiPoints;
    return system;
}

}  // namespace win
