#include "launcher/wording.h"

namespace {

constexpr std::size_t ShownWhole = 1000;
constexpr std::size_t ShownStart = 600;
constexpr std::size_t ShownEnd = 300;

} // namespace

std::wstring NamedCharacters(std::wstring_view characters) {
    std::wstring named;
    for (std::size_t at = 0, length; at < characters.size(); at += length) {
        length = CharacterLength(characters, at);
        std::uint32_t point = static_cast<std::uint32_t>(characters[at]);
        if (length == 2) {
            point = 0x10000 + ((point - 0xD800) << 10) + (characters[at + 1] - 0xDC00);
        }
        std::wstring hex;
        for (; point != 0 || hex.size() < 4; point >>= 4) {
            hex.insert(hex.begin(), L"0123456789ABCDEF"[point & 0xF]);
        }
        named += (named.empty() ? L"" : L", ") + std::wstring(characters.substr(at, length)) +
                 L" (U+" + hex + L")";
    }
    return named;
}

std::wstring Abbreviated(const std::wstring& text) {
    if (text.size() <= ShownWhole) {
        return text;
    }
    // A surrogate pair on either cut goes with the middle.
    const std::size_t start = ShownStart - (CharacterLength(text, ShownStart - 1) == 2 ? 1 : 0);
    std::size_t end = text.size() - ShownEnd;
    end += CharacterLength(text, end - 1) == 2 ? 1 : 0;
    return text.substr(0, start) + L" \u2026 " + text.substr(end) + L"\n(" +
           DecimalText(text.size()) + L" characters; the middle is left out here)";
}

std::wstring Visible(std::wstring_view text) {
    std::wstring shown(text);
    for (wchar_t& c : shown) {
        if (IsControlCharacter(c)) {
            c = c == 0x7F ? 0x2421 : static_cast<wchar_t>(0x2400 + c);
        }
    }
    return shown;
}

std::wstring WithInserts(std::wstring_view message, std::wstring_view insertOne) {
    const auto digit = [&](std::size_t at) {
        return at < message.size() && message[at] >= L'0' && message[at] <= L'9';
    };
    std::wstring filled;
    for (std::size_t i = 0; i < message.size(); ++i) {
        if (message[i] != L'%' || !digit(i + 1) || message[i + 1] == L'0') {
            filled += message[i];
            continue;
        }
        const std::size_t digits = digit(i + 2) ? 2 : 1;
        const bool one = digits == 1 && message[i + 1] == L'1';
        std::size_t end = i + 1 + digits;
        if (end < message.size() && message[end] == L'!') { // a format, such as %1!s!
            const auto closing = message.find(L'!', end + 1);
            end = closing == std::wstring_view::npos ? message.size() : closing + 1;
        }
        if (one && !insertOne.empty()) {
            filled += insertOne;
        } else if (!filled.empty() && filled.back() == L' ') {
            filled.pop_back();
        }
        i = end - 1;
    }
    return filled;
}
