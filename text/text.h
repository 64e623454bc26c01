// The program's general rules on text, below every layer that reads or shows it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// The text with blanks (only U+0020) removed from both ends.
std::wstring TrimBlanks(std::wstring_view text);

// The text with blanks removed from both ends, and then a pair of double quotes around it, as a
// folder on PATH or in a variable that cmd's set keeps quoted.
std::wstring TrimmedAndUnquoted(std::wstring_view text);

// A number in decimal digits.
std::wstring DecimalText(std::uint64_t number);

// How many UTF-16 units the character that starts at `at` takes: 2 where a high surrogate half is
// followed by a low one, otherwise 1. A half without its partner, which NTFS allows in a name, is
// a character of its own.
std::size_t CharacterLength(std::wstring_view text, std::size_t at);

// The code point of one character (see CharacterLength): a surrogate pair's, or the UTF-16 unit's,
// a half without its partner's own among them.
inline std::uint32_t CodePoint(std::wstring_view character) {
    const std::uint32_t first = character[0];
    return character.size() == 2 ? 0x10000 + ((first - 0xD800) << 10) + (character[1] - 0xDC00)
                                 : first;
}

// Whether c is a control character: U+0000 to U+001F, or U+007F.
bool IsControlCharacter(wchar_t c);

// The text with each line end CR LF, as Windows tools read text: an LF alone gets a CR before it.
std::wstring WithWindowsLineEnds(std::wstring_view text);
