// The About box's version line, from the text the version resource gave.
#pragma once

#include <string>
#include <string_view>

// "Vireon <text> <empty>": commas become hyphens, then semicolons full stops;
// the line ends with one blank.
std::wstring FormatVersionLine(std::wstring_view versionText);
