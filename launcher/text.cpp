#include "launcher/text.h"

namespace {

constexpr wchar_t Replacement = L'\uFFFD';

constexpr std::size_t ShownWhole = 1000;
constexpr std::size_t ShownStart = 600;
constexpr std::size_t ShownEnd = 300;

// How many bytes a UTF-8 sequence that begins with this byte holds, and the bits it brings; 0
// for a byte that can't begin one.
int SequenceLength(unsigned char lead) {
    return lead < 0x80   ? 1
           : lead < 0xC2 ? 0
           : lead < 0xE0 ? 2
           : lead < 0xF0 ? 3
           : lead < 0xF5 ? 4
                         : 0;
}

void AppendCodePoint(std::wstring& text, std::uint32_t point) {
    if (point >= 0x10000 && sizeof(wchar_t) == 2) {
        point -= 0x10000;
        text.push_back(static_cast<wchar_t>(0xD800 + (point >> 10)));
        text.push_back(static_cast<wchar_t>(0xDC00 + (point & 0x3FF)));
    } else {
        text.push_back(static_cast<wchar_t>(point));
    }
}

} // namespace

std::wstring Utf8ToWide(std::string_view bytes) {
    std::wstring text;
    text.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size();) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        const int length = SequenceLength(lead);
        std::uint32_t point = length == 1 ? lead : lead & (0x7Fu >> length);
        int taken = length == 0 ? 0 : 1;
        for (; taken < length && i + taken < bytes.size(); ++taken) {
            const auto next = static_cast<unsigned char>(bytes[i + taken]);
            if ((next & 0xC0) != 0x80) {
                break;
            }
            point = (point << 6) | (next & 0x3Fu);
        }
        const bool whole = length != 0 && taken == length;
        // Overlong forms, surrogates and points past U+10FFFF are no characters.
        const bool valid = whole && !(length == 3 && point < 0x800) &&
                           !(length == 4 && (point < 0x10000 || point > 0x10FFFF)) &&
                           !(point >= 0xD800 && point <= 0xDFFF);
        if (valid) {
            AppendCodePoint(text, point);
        } else {
            text.push_back(Replacement);
        }
        i += static_cast<std::size_t>(valid ? length : std::max(taken, 1));
    }
    return text;
}

std::string WideToUtf8(std::wstring_view text) {
    std::string bytes;
    bytes.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        auto point = static_cast<std::uint32_t>(text[i]);
        const bool high = point >= 0xD800 && point <= 0xDBFF;
        const bool pairs =
            high && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF;
        if (pairs) {
            point = 0x10000 + ((point - 0xD800) << 10) + (text[++i] - 0xDC00);
        } else if ((point >= 0xD800 && point <= 0xDFFF) || point > 0x10FFFF) {
            point = Replacement;
        }
        const auto put = [&](std::uint32_t byte) { bytes.push_back(static_cast<char>(byte)); };
        if (point < 0x80) {
            put(point);
        } else if (point < 0x800) {
            put(0xC0 | point >> 6);
            put(0x80 | (point & 0x3F));
        } else if (point < 0x10000) {
            put(0xE0 | point >> 12);
            put(0x80 | (point >> 6 & 0x3F));
            put(0x80 | (point & 0x3F));
        } else {
            put(0xF0 | point >> 18);
            put(0x80 | (point >> 12 & 0x3F));
            put(0x80 | (point >> 6 & 0x3F));
            put(0x80 | (point & 0x3F));
        }
    }
    return bytes;
}

std::wstring Utf16ToWide(std::string_view bytes, bool bigEndian) {
    std::wstring text;
    text.reserve(bytes.size() / 2);
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const auto first = static_cast<unsigned char>(bytes[i]);
        const auto second = static_cast<unsigned char>(bytes[i + 1]);
        text.push_back(static_cast<wchar_t>(bigEndian ? first << 8 | second : second << 8 | first));
    }
    return text;
}

std::wstring DecimalText(std::uint64_t number) {
    std::wstring digits;
    do {
        digits.insert(digits.begin(), static_cast<wchar_t>(L'0' + number % 10));
        number /= 10;
    } while (number != 0);
    return digits;
}

std::wstring Abbreviated(const std::wstring& text) {
    if (text.size() <= ShownWhole) {
        return text;
    }
    // A surrogate pair on either cut goes with the middle.
    const auto isSurrogate = [](wchar_t c, wchar_t first) {
        return c >= first && c < first + 0x400;
    };
    const std::size_t start = ShownStart - (isSurrogate(text[ShownStart - 1], 0xD800) ? 1 : 0);
    std::size_t end = text.size() - ShownEnd;
    end += isSurrogate(text[end], 0xDC00) ? 1 : 0;
    return text.substr(0, start) + L" \u2026 " + text.substr(end) + L"\n(" +
           DecimalText(text.size()) + L" characters; the middle is left out here)";
}

std::wstring Visible(std::wstring_view text) {
    std::wstring shown(text);
    for (wchar_t& c : shown) {
        if (c < 0x20) {
            c = static_cast<wchar_t>(0x2400 + c);
        } else if (c == 0x7F) {
            c = 0x2421;
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
