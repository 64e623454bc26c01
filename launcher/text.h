// Text conversions that don't depend on the machine's code page.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// UTF-8 bytes as wide text; a byte that begins no valid sequence becomes U+FFFD.
std::wstring Utf8ToWide(std::string_view bytes);

// Wide text as UTF-8; a lone surrogate becomes U+FFFD.
std::string WideToUtf8(std::wstring_view text);

// UTF-16 bytes, little- or big-endian, as wide text; an odd last byte is left out.
std::wstring Utf16ToWide(std::string_view bytes, bool bigEndian);

// A number in decimal digits, for reports.
std::wstring DecimalText(std::uint64_t number);

// Text as a report shows it: whole when it is short; otherwise its start and its end, with the
// note that its middle is left out, and its length. A command line of thousands of characters
// is no use in a message box.
std::wstring Abbreviated(const std::wstring& text);
