#include "launcher/wording.h"

namespace {

constexpr std::size_t ShownWhole = 1000;
constexpr std::size_t ShownStart = 600;
constexpr std::size_t ShownEnd = 300;
constexpr std::size_t NamedAtMost = 32;

} // namespace

std::wstring NamedCharacters(const std::vector<std::wstring>& characters) {
    std::wstring named;
    for (std::size_t at = 0; at < characters.size() && at < NamedAtMost; ++at) {
        const std::uint32_t point = CodePoint(characters[at]);
        std::wstring hex;
        for (std::uint32_t rest = point; rest != 0 || hex.size() < 4; rest >>= 4) {
            const auto digit = static_cast<wchar_t>(rest & 0xF);
            hex.insert(hex.begin(), static_cast<wchar_t>(digit + (digit < 10 ? L'0' : L'A' - 10)));
        }
        named += (at == 0 ? L"" : L", ") + characters[at] + L" (U+" + hex + L")";
    }
    if (characters.size() > NamedAtMost) {
        named += L", and " + DecimalText(characters.size() - NamedAtMost) + L" more";
    }
    return named;
}

std::wstring Abbreviated(const std::wstring& text, std::wstring_view beforeNote) {
    if (text.size() <= ShownWhole) {
        return text;
    }
    // A surrogate pair on either cut goes with the middle.
    const std::size_t start = ShownStart - (CharacterLength(text, ShownStart - 1) == 2 ? 1 : 0);
    std::size_t end = text.size() - ShownEnd;
    end += CharacterLength(text, end - 1) == 2 ? 1 : 0;
    return text.substr(0, start) + L" \u2026 " + text.substr(end) + std::wstring(beforeNote) +
           L"(" + DecimalText(text.size()) + L" characters; the middle is left out here)";
}

std::wstring Visible(std::wstring_view text) {
    std::wstring shown(text);
    for (wchar_t& c : shown) {
        if (IsControlCharacter(c)) {
            c = c == 0x7F ? 0x2421 : static_cast<wchar_t>(0x2400 + c);
        } else if (c == 0x85 || c == 0x2028 || c == 0x2029) {
            c = 0x2424;
        } else if (c >= 0x80 && c <= 0x9F) {
            c = 0x2426;
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
