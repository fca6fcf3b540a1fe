// An independent model of how Windows' GetPrivateProfileStringW reads a key,
// written from the measurements of the public test suite
// IniFileFormatReverseEngineering (run on Windows). Under Wine the real
// profile functions are Wine's, so this model is the only way to check here
// that Windows reads back what we save.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace testing_support {

using LeadByte = bool (*)(unsigned char);

inline std::optional<std::u16string> WindowsProfileValue(std::string_view bytes, std::u16string_view section,
                                                         std::u16string_view key, LeadByte isLead = nullptr) {
    // Only a UTF-16 LE mark is understood; everything else is ANSI, a UTF-8
    // or UTF-16 BE mark included (UTF8_Tests, UTF16BE_Tests).
    std::u16string text;
    const auto at = [&bytes](size_t i) { return static_cast<unsigned char>(bytes[i]); };
    if (bytes.size() >= 2 && at(0) == 0xFF && at(1) == 0xFE) {
        for (size_t i = 2; i + 1 < bytes.size(); i += 2) text.push_back(static_cast<char16_t>(at(i) | at(i + 1) << 8));
    } else {
        for (size_t i = 0; i < bytes.size(); ++i) {
            const bool pair = isLead && i + 1 < bytes.size() && isLead(at(i));
            text.push_back(static_cast<char16_t>(pair ? (at(i) << 8 | at(i + 1)) : at(i)));
            if (pair) ++i;
        }
    }

    const auto blank = [](char16_t c) { return c == u' ' || c == u'\t' || c == u'\v'; };
    const auto trim = [&blank](std::u16string_view s) {
        while (!s.empty() && blank(s.front())) s.remove_prefix(1);
        while (!s.empty() && blank(s.back())) s.remove_suffix(1);
        return s;
    };
    const auto same = [](std::u16string_view a, std::u16string_view b) {
        const auto lower = [](char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c; };
        if (a.size() != b.size()) return false;
        for (size_t i = 0; i < a.size(); ++i)
            if (lower(a[i]) != lower(b[i])) return false;
        return true;
    };

    bool inSection = false;
    bool seenSection = false;
    size_t pos = 0;
    while (pos < text.size()) {
        const size_t end = text.find_first_of(u"\r\n", pos);
        const std::u16string_view line =
            trim(std::u16string_view(text).substr(pos, (end == std::u16string::npos ? text.size() : end) - pos));
        pos = end == std::u16string::npos ? text.size() : end + 1;
        if (line.empty()) continue;
        if (line.front() == u'[') {
            // The name ends at the first ']', or with the line (SquareBracket_Tests).
            if (seenSection) return std::nullopt;  // only the first section of a name counts
            const std::u16string_view name = trim(line.substr(1, line.find(u']') - 1));
            inSection = same(name, section);
            seenSection = inSection;
            continue;
        }
        if (!inSection || line.front() == u';') continue;  // Semicolon_Tests
        const size_t equals = line.find(u'=');
        if (!same(trim(line.substr(0, equals)), key)) continue;
        if (equals == std::u16string_view::npos) return std::u16string();
        std::u16string_view value = trim(line.substr(equals + 1));
        // One matching pair of outer quotes goes (Quotes_Tests).
        if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') && value.back() == value.front())
            value = value.substr(1, value.size() - 2);
        return std::u16string(value);
    }
    return std::nullopt;
}

}  // namespace testing_support
