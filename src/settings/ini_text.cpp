#include "settings/ini_text.h"

#include <vector>

namespace settings {
namespace {

// How one implementation of the profile functions reads a line.
//
// Windows (measured on Windows by the public test suite
// IniFileFormatReverseEngineering: SquareBracket_Tests, WhiteSpace_Tests,
// Semicolon_Tests): a line whose first non-blank character is '[' is a header
// even without a ']', and its name ends at the FIRST ']'; a line starting with
// ';' is a comment; blanks are space, tab and vertical tab. How it treats a
// lone CR was not measured; it is taken to end a line as it does for Wine.
//
// Wine 8 (dlls/kernel32/profile.c, PROFILE_Load): a header needs a ']' and its
// name ends at the LAST one; a '[' line without one is read as a key; ';' is
// not special; blanks are the C white space, CR and ^Z (a DOS end of file).
enum class Reader { Windows, Wine };

bool IsBlank(Reader reader, char16_t c) noexcept {
    if (reader == Reader::Windows) return c == u' ' || c == u'\t' || c == u'\v';
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\v' || c == u'\f' || c == 0x1A;
}

char16_t Lower(char16_t c) noexcept { return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c; }

bool SameName(std::u16string_view a, std::u16string_view b) noexcept {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != Lower(b[i])) return false;
    return true;
}

std::u16string_view Trim(Reader reader, std::u16string_view s) noexcept {
    while (!s.empty() && IsBlank(reader, s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(reader, s.back())) s.remove_suffix(1);
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

// The section name of a header line, or none.
bool SectionName(Reader reader, std::u16string_view line, std::u16string_view& name) {
    line = Trim(reader, line);
    if (line.empty() || line.front() != u'[') return false;
    line.remove_prefix(1);
    const size_t close = reader == Reader::Windows ? line.find(u']') : line.rfind(u']');
    if (close == std::u16string_view::npos) {
        if (reader == Reader::Wine) return false;
    } else {
        line = line.substr(0, close);
    }
    name = Trim(reader, line);
    return true;
}

// The key of a line: the text before '=', or the whole line when there is
// none; nothing for a line Windows takes as a comment.
std::u16string_view KeyName(Reader reader, std::u16string_view line) {
    line = Trim(reader, line);
    if (reader == Reader::Windows && !line.empty() && line.front() == u';') return {};
    const size_t equals = line.find(u'=');
    return Trim(reader, equals == std::u16string_view::npos ? line : line.substr(0, equals));
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
        text.encoding = ProfileText::Encoding::Utf16Le;  // written back in the order Windows reads
        for (size_t i = 2; i + 1 < bytes.size(); i += 2)
            text.units.push_back(static_cast<char16_t>((byte(i) << 8) | byte(i + 1)));
        if (bytes.size() % 2) text.oddByte.assign(1, bytes.back());
        return text;
    }
    // The UTF-8 mark goes; what follows is read as ANSI, as Windows reads it.
    const size_t start = (bytes.size() >= 3 && byte(0) == 0xEF && byte(1) == 0xBB && byte(2) == 0xBF) ? 3 : 0;
    for (size_t i = start; i < bytes.size(); ++i) {
        if (isLeadByte && i + 1 < bytes.size() && isLeadByte(byte(i))) {
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
    if (text.encoding == ProfileText::Encoding::Utf16Le) {
        bytes.reserve(2 + 2 * text.units.size() + text.oddByte.size());
        put(0xFF), put(0xFE);
        for (const char16_t u : text.units) put(u), put(u >> 8);
        return bytes + text.oddByte;
    }
    for (const char16_t u : text.units) {
        if (u > 0xFF) put(u >> 8);  // a double-byte character
        put(u);
    }
    return bytes;
}

namespace {

// Sets one key for one reader: its first section of that name, its first line of the key.
void SetValueFor(Reader reader, std::u16string& text, std::u16string_view section, const KeyValue& kv) {
    const std::vector<Line> lines = SplitLines(text);
    const std::u16string ending = LineEndingOf(text, lines);
    const std::u16string_view view(text);
    const auto lineText = [&view](const Line& line) { return view.substr(line.begin, line.end - line.begin); };

    size_t first = lines.size();
    for (size_t i = 0; i < lines.size(); ++i) {
        std::u16string_view name;
        if (SectionName(reader, lineText(lines[i]), name) && SameName(name, section)) {
            first = i;
            break;
        }
    }
    if (first == lines.size()) {
        if (!text.empty() && text.back() != u'\n' && text.back() != u'\r') text += ending;
        text.append(u"[").append(section).append(u"]").append(ending).append(KeyLine(kv)).append(ending);
        return;
    }

    size_t lastContent = first;
    for (size_t i = first + 1; i < lines.size(); ++i) {
        const std::u16string_view line = lineText(lines[i]);
        std::u16string_view name;
        if (SectionName(reader, line, name)) break;
        if (Trim(reader, line).empty()) continue;
        lastContent = i;
        if (SameName(KeyName(reader, line), kv.first)) {
            text.replace(lines[i].begin, lines[i].end - lines[i].begin, KeyLine(kv));
            return;
        }
    }

    // Right after the section's last line and its own line break, before any blank lines.
    const Line& after = lines[lastContent];
    if (const size_t length = BreakLength(view, after)) {
        text.insert(after.end + length, KeyLine(kv) + ending);
    } else {
        text.insert(after.end, ending + KeyLine(kv));
    }
}

}  // namespace

void SetProfileValues(std::u16string& text, std::u16string_view section, std::span<const KeyValue> values) {
    // Windows first: a line either pass writes is "KEY=value", which both read
    // alike, so the second pass never moves what the first one set.
    for (const Reader reader : {Reader::Windows, Reader::Wine})
        for (const KeyValue& kv : values) SetValueFor(reader, text, section, kv);
}

}  // namespace settings
