#include "text/text.h"

std::wstring TrimBlanks(std::wstring_view text) {
    const auto first = text.find_first_not_of(L' ');
    if (first == std::wstring_view::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(L' ');
    return std::wstring(text.substr(first, last - first + 1));
}

std::wstring TrimmedAndUnquoted(std::wstring_view text) {
    std::wstring trimmed = TrimBlanks(text);
    if (trimmed.size() >= 2 && trimmed.front() == L'"' && trimmed.back() == L'"') {
        trimmed.pop_back();
        trimmed.erase(0, 1);
    }
    return trimmed;
}

std::wstring DecimalText(std::uint64_t number) {
    std::wstring digits;
    do {
        digits.insert(digits.begin(), static_cast<wchar_t>(L'0' + number % 10));
        number /= 10;
    } while (number != 0);
    return digits;
}

std::size_t CharacterLength(std::wstring_view text, std::size_t at) {
    // A high half is 0xD800 to 0xDBFF, a low one 0xDC00 to 0xDFFF.
    return at + 1 < text.size() && (text[at] & 0xFC00) == 0xD800 &&
                   (text[at + 1] & 0xFC00) == 0xDC00
               ? 2
               : 1;
}

bool IsControlCharacter(wchar_t c) {
    return c < 0x20 || c == 0x7F;
}

std::wstring WithWindowsLineEnds(std::wstring_view text) {
    std::wstring lines;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'\n' && (i == 0 || text[i - 1] != L'\r')) {
            lines.push_back(L'\r');
        }
        lines.push_back(text[i]);
    }
    return lines;
}
