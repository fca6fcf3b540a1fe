#include "settings/ini_text.h"

#include <vector>

namespace settings {
namespace {

// White space as the profile functions trim it (^Z, a DOS end of file, counts too).
bool IsBlank(char16_t c) noexcept {
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\v' || c == u'\f' || c == 0x1A;
}

char16_t Lower(char16_t c) noexcept { return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c; }

bool SameName(std::u16string_view a, std::u16string_view b) noexcept {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != Lower(b[i])) return false;
    return true;
}

std::u16string_view Trim(std::u16string_view s) noexcept {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

struct Line {
    size_t begin;  // first unit of the text
    size_t end;    // one past the text, where the line ending starts
    size_t next;   // start of the next line
};

std::vector<Line> SplitLines(std::u16string_view text) {
    std::vector<Line> lines;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = pos;
        while (end < text.size() && text[end] != u'\r' && text[end] != u'\n') ++end;
        // A run of line breaks ends the line, blank lines included, as the profile functions read it.
        size_t next = end;
        while (next < text.size() && (text[next] == u'\r' || text[next] == u'\n')) ++next;
        lines.push_back({pos, end, next});
        pos = next;
    }
    return lines;
}

// The section name of a header line ("[name]", the last bracket closing it), or none.
bool SectionName(std::u16string_view line, std::u16string_view& name) {
    line = Trim(line);
    if (line.empty() || line.front() != u'[') return false;
    const size_t close = line.rfind(u']');
    if (close == std::u16string_view::npos) return false;
    name = Trim(line.substr(1, close - 1));
    return true;
}

// The key of a line: the text before '=', or the whole line when there is none.
std::u16string_view KeyName(std::u16string_view line) {
    const size_t equals = line.find(u'=');
    return Trim(equals == std::u16string_view::npos ? line : line.substr(0, equals));
}

// The first line break after a line: CR LF, LF or CR alone; none at the end of the text.
size_t BreakLength(std::u16string_view text, const Line& line) {
    if (line.next == line.end) return 0;
    return (text[line.end] == u'\r' && line.end + 1 < line.next && text[line.end + 1] == u'\n') ? 2 : 1;
}

std::u16string LineEndingOf(std::u16string_view text, const std::vector<Line>& lines) {
    for (const Line& line : lines)
        if (const size_t length = BreakLength(text, line)) return std::u16string(text.substr(line.end, length));
    return u"\r\n";
}

std::u16string KeyLine(const KeyValue& kv) { return std::u16string(kv.first) + u"=" + std::u16string(kv.second); }

}  // namespace

ProfileText DecodeProfile(std::string_view bytes, LeadBytePredicate isLeadByte) {
    ProfileText text;
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(bytes[i]); };
    if (bytes.size() >= 2 && (byte(0) == 0xFF && byte(1) == 0xFE)) {
        text.encoding = ProfileText::Encoding::Utf16Le;
        for (size_t i = 2; i + 1 < bytes.size(); i += 2)
            text.units.push_back(static_cast<char16_t>(byte(i) | (byte(i + 1) << 8)));
        if (bytes.size() % 2) text.oddByte.assign(1, bytes.back());
        return text;
    }
    if (bytes.size() >= 2 && (byte(0) == 0xFE && byte(1) == 0xFF)) {
        text.encoding = ProfileText::Encoding::Utf16Be;
        for (size_t i = 2; i + 1 < bytes.size(); i += 2)
            text.units.push_back(static_cast<char16_t>((byte(i) << 8) | byte(i + 1)));
        if (bytes.size() % 2) text.oddByte.assign(1, bytes.back());
        return text;
    }
    size_t start = 0;
    if (bytes.size() >= 3 && byte(0) == 0xEF && byte(1) == 0xBB && byte(2) == 0xBF) {
        text.encoding = ProfileText::Encoding::Utf8Bom;
        start = 3;
    }
    for (size_t i = start; i < bytes.size(); ++i) {
        if (isLeadByte && text.encoding == ProfileText::Encoding::Bytes && i + 1 < bytes.size() &&
            isLeadByte(byte(i))) {
            text.units.push_back(static_cast<char16_t>((byte(i) << 8) | byte(i + 1)));
            ++i;
        } else {
            text.units.push_back(static_cast<char16_t>(byte(i)));
        }
    }
    return text;
}

std::string EncodeProfile(const ProfileText& text) {
    std::string bytes;
    const auto put = [&bytes](unsigned value) { bytes.push_back(static_cast<char>(value & 0xFF)); };
    switch (text.encoding) {
    case ProfileText::Encoding::Utf16Le:
        bytes.reserve(2 + 2 * text.units.size() + text.oddByte.size());
        put(0xFF), put(0xFE);
        for (const char16_t u : text.units) put(u), put(u >> 8);
        return bytes + text.oddByte;
    case ProfileText::Encoding::Utf16Be:
        bytes.reserve(2 + 2 * text.units.size() + text.oddByte.size());
        put(0xFE), put(0xFF);
        for (const char16_t u : text.units) put(u >> 8), put(u);
        return bytes + text.oddByte;
    case ProfileText::Encoding::Utf8Bom: put(0xEF), put(0xBB), put(0xBF); break;
    case ProfileText::Encoding::Bytes: break;
    }
    for (const char16_t u : text.units) {
        if (u > 0xFF) put(u >> 8);  // a double-byte character
        put(u);
    }
    return bytes;
}

void SetProfileValues(std::u16string& text, std::u16string_view section, std::span<const KeyValue> values) {
    for (const KeyValue& kv : values) {
        const std::vector<Line> lines = SplitLines(text);
        const std::u16string ending = LineEndingOf(text, lines);
        const std::u16string_view view(text);

        // The first section of that name, and its lines.
        size_t first = lines.size();
        for (size_t i = 0; i < lines.size(); ++i) {
            std::u16string_view name;
            if (SectionName(view.substr(lines[i].begin, lines[i].end - lines[i].begin), name) &&
                SameName(name, section)) {
                first = i;
                break;
            }
        }
        if (first == lines.size()) {
            if (!text.empty() && text.back() != u'\n' && text.back() != u'\r') text += ending;
            text.append(u"[").append(section).append(u"]").append(ending).append(KeyLine(kv)).append(ending);
            continue;
        }

        size_t lastContent = first;
        bool replaced = false;
        for (size_t i = first + 1; i < lines.size(); ++i) {
            const std::u16string_view line = view.substr(lines[i].begin, lines[i].end - lines[i].begin);
            std::u16string_view name;
            if (SectionName(line, name)) break;
            if (Trim(line).empty()) continue;
            lastContent = i;
            if (SameName(KeyName(line), kv.first)) {
                text.replace(lines[i].begin, lines[i].end - lines[i].begin, KeyLine(kv));
                replaced = true;
                break;
            }
        }
        if (replaced) continue;

        // Right after the section's last line and its own line break, before any blank lines.
        const Line& after = lines[lastContent];
        if (const size_t length = BreakLength(view, after)) {
            text.insert(after.end + length, KeyLine(kv) + ending);
        } else {
            text.insert(after.end, ending + KeyLine(kv));
        }
    }
}

}  // namespace settings
