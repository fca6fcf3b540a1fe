// Editing the text of an INI file in place: only the lines of the keys being
// written change; every other byte of the file stays as it was.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <utility>

namespace settings {

// A file's text as 16-bit units, and the encoding it is written back in. Bytes
// of an 8-bit file are carried one per unit, so they go back unchanged; a lead
// byte of the ANSI code page takes the byte after it into the same unit, as the
// profile functions' decoding does (so a '[' or a line break after a lead byte
// is no bracket or line break to them, nor to us).
//
// Windows' profile functions understand only a UTF-16 LE byte-order mark: a
// UTF-8 mark is read as ANSI text that breaks the first line, and a UTF-16 BE
// file is read as ANSI and nothing in it is found (measured on Windows by the
// public test suite IniFileFormatReverseEngineering, UTF8_Tests and
// UTF16BE_Tests). So a UTF-8 mark is dropped, the rest read as ANSI bytes, and
// a big-endian file is written back little-endian: every line stays, and both
// Windows and Wine read the file the same way.
struct ProfileText {
    enum class Encoding { Bytes, Utf16Le };
    Encoding encoding = Encoding::Bytes;
    std::u16string units;
    std::string oddByte;  // a UTF-16 file of odd length keeps its last byte as it was
};

using LeadBytePredicate = bool (*)(unsigned char);
ProfileText DecodeProfile(std::string_view bytes, LeadBytePredicate isLeadByte = nullptr);
std::string EncodeProfile(const ProfileText& text);

using KeyValue = std::pair<std::u16string_view, std::u16string_view>;

// Sets each key of `section` to its value so that both Windows' and Wine's
// profile functions read it back. Each reads the first section of that name
// (ignoring case) and the first line of the key in it, but they disagree on
// what a section header is (see ini_text.cpp); where they take different
// lines, each one's line is set. A key line is rewritten as "KEY=value"; a
// missing key is added after the section's last non-blank line; a missing
// section is added at the end. New lines use the file's own line ending (CRLF
// for a new file). Every other line stays as it was.
void SetProfileValues(std::u16string& text, std::u16string_view section, std::span<const KeyValue> values);

}  // namespace settings
