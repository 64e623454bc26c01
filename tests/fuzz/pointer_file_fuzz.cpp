// The pointer-file reader on any text: it never reads past the text, and the item it gives is
// exactly the text the reading rules select, ended exactly when more text could not change it.
#include "expect.h"
#include "launcher/pointer_file.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::wstring text(data, data + size);
    const auto item = ReadFirstDataItem(text);
    const auto start = text.find_first_not_of(L' ');
    Expect(item.has_value() == (start != std::wstring::npos)); // blanks only hold no item
    if (!item) {
        return 0;
    }
    if (text[start] == L'"') {
        // Quoted: everything up to the next quote, line ends included, and never a quote.
        const std::wstring_view rest = std::wstring_view(text).substr(start + 1);
        Expect(item->value == rest.substr(0, rest.find(L'"')));
        Expect(item->ended == (rest.find(L'"') != std::wstring_view::npos));
        return 0;
    }
    // Unquoted: the start of the first line up to the first comma, without trailing blanks; it
    // never holds a character from after the first line's end, and it stops at nothing else.
    const std::wstring& value = item->value;
    Expect(value.find_first_of(L",\r\n") == std::wstring::npos);
    Expect(value.empty() || value.back() != L' ');
    Expect(text.compare(start, value.size(), value) == 0);
    const std::wstring_view after = std::wstring_view(text).substr(start + value.size());
    const auto next = after.find_first_not_of(L' ');
    Expect(next == std::wstring_view::npos || after[next] == L',' || after[next] == L'\r' ||
           after[next] == L'\n');
    Expect(item->ended == (next != std::wstring_view::npos));
    return 0;
}
