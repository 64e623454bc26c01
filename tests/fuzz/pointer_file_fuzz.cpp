// The pointer-file reader on any bytes: it never reads past the data, and the item it gives is
// exactly the text the reading rules select.
#include "expect.h"
#include "launcher/pointer_file.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const auto item = ReadFirstDataItem(bytes);
    const auto start = bytes.find_first_not_of(' ');
    Expect(item.has_value() == (start != std::string_view::npos)); // blanks only hold no item
    if (!item) {
        return 0;
    }
    if (bytes[start] == '"') {
        // Quoted: everything up to the next quote, line ends included, and never a quote.
        const std::string_view rest = bytes.substr(start + 1);
        Expect(*item == rest.substr(0, rest.find('"')));
        return 0;
    }
    // Unquoted: the start of the first line up to the first comma, without trailing blanks; it
    // never holds a byte from after the first line's end, and it stops at nothing else.
    Expect(item->find_first_of(",\r\n") == std::string::npos);
    Expect(item->empty() || item->back() != ' ');
    Expect(bytes.substr(start, item->size()) == *item);
    const std::string_view after = bytes.substr(start + item->size());
    const auto next = after.find_first_not_of(' ');
    Expect(next == std::string_view::npos || after[next] == ',' || after[next] == '\r' ||
           after[next] == '\n');
    return 0;
}
