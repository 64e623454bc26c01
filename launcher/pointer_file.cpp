#include "launcher/pointer_file.h"

std::optional<std::string> ReadFirstDataItem(std::string_view bytes) {
    const auto start = bytes.find_first_not_of(' ');
    if (start == std::string_view::npos) {
        return std::nullopt;
    }
    std::string_view rest = bytes.substr(start);
    if (rest.front() == '"') {
        rest.remove_prefix(1);
        return std::string(rest.substr(0, rest.find('"')));
    }
    std::string_view item = rest.substr(0, rest.find_first_of(",\r\n"));
    const auto last = item.find_last_not_of(' ');
    return std::string(item.substr(0, last == std::string_view::npos ? 0 : last + 1));
}
