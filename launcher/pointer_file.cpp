#include "launcher/pointer_file.h"

#include "launcher/failure_report.h"
#include "launcher/text.h"
#include "platform/platform.h"

namespace {

constexpr std::string_view Utf8Mark = "\xEF\xBB\xBF";

// A file that begins with the UTF-8 byte-order mark can only be UTF-8; read as ANSI, its key path
// would gain three stray characters.
PointerFileEncoding EncodingOf(std::string_view bytes) {
    return bytes.starts_with(Utf8Mark) ? PointerFileEncoding::Utf8 : PointerFileEncoding::Ansi;
}

std::wstring Decoded(std::string_view bytes, PointerFileEncoding encoding) {
    return encoding == PointerFileEncoding::Utf8 ? Utf8ToWide(bytes.substr(Utf8Mark.size()))
                                                 : platform::AnsiToWide(bytes);
}

} // namespace

std::optional<DataItem> ReadFirstDataItem(std::wstring_view text) {
    const auto start = text.find_first_not_of(L' ');
    if (start == std::wstring_view::npos) {
        return std::nullopt;
    }
    std::wstring_view rest = text.substr(start);
    if (rest.front() == L'"') {
        rest.remove_prefix(1);
        const auto closing = rest.find(L'"');
        return DataItem{std::wstring(rest.substr(0, closing)), closing != std::wstring_view::npos};
    }
    const auto end = rest.find_first_of(L",\r\n");
    const std::wstring_view item = rest.substr(0, end);
    const auto last = item.find_last_not_of(L' ');
    return DataItem{std::wstring(item.substr(0, last == std::wstring_view::npos ? 0 : last + 1)),
                    end != std::wstring_view::npos};
}

RuntimePointer ReadRuntimePointer(const std::wstring& path) {
    std::string bytes;
    try {
        bytes = platform::ReadFileStart(path, [](std::string_view start) {
            const auto item = ReadFirstDataItem(Decoded(start, EncodingOf(start)));
            return start.size() <= MaxPointerFileBytes && !(item && item->ended);
        });
    } catch (const platform::SystemError& error) {
        throw Failure(FailureKind::FileNotFound, path, error);
    }
    const bool longer = bytes.size() > MaxPointerFileBytes;
    bytes.resize(std::min(bytes.size(), MaxPointerFileBytes));
    const PointerFileEncoding encoding = EncodingOf(bytes);
    const auto item = ReadFirstDataItem(Decoded(bytes, encoding));
    if (longer && !(item && item->ended)) {
        return {encoding, std::nullopt};
    }
    if (!item) {
        throw Failure(FailureKind::InputPastEndOfFile, path, std::nullopt);
    }
    return {encoding, item->value};
}
