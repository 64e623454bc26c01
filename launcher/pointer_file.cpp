#include "launcher/pointer_file.h"

#include "launcher/failure_report.h"
#include "platform/platform.h"
#include "text/decoding.h"
#include "text/text.h"

namespace {

// A file that begins with a byte-order mark can only be in its encoding; read as ANSI, its key
// path would gain stray characters, or, in UTF-16, be no path at all.
struct ByteOrderMark {
    std::string_view bytes;
    PointerFileEncoding encoding;
};
constexpr ByteOrderMark Marks[] = {{"\xEF\xBB\xBF", PointerFileEncoding::Utf8},
                                   {"\xFF\xFE", PointerFileEncoding::Utf16LE},
                                   {"\xFE\xFF", PointerFileEncoding::Utf16BE}};

struct DecodedText {
    PointerFileEncoding encoding;
    std::wstring text;
};

DecodedText Decoded(std::string_view bytes) {
    for (const auto& mark : Marks) {
        if (bytes.starts_with(mark.bytes)) {
            const std::string_view rest = bytes.substr(mark.bytes.size());
            return {mark.encoding,
                    mark.encoding == PointerFileEncoding::Utf8
                        ? platform::Utf8ToWide(rest)
                        : Utf16ToWide(rest, mark.encoding == PointerFileEncoding::Utf16BE)};
        }
    }
    return {PointerFileEncoding::Ansi, platform::AnsiToWide(bytes)};
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
        // One byte past the bound tells whether the file goes on past it.
        bytes = platform::ReadFileStart(path, MaxPointerFileBytes + 1);
    } catch (const platform::SystemError& error) {
        throw Failure(FailureKind::PointerFileNotFound, path, error);
    }
    const bool longer = bytes.size() > MaxPointerFileBytes;
    const DecodedText decoded = Decoded(std::string_view(bytes).substr(0, MaxPointerFileBytes));
    const auto item = ReadFirstDataItem(decoded.text);
    if (longer && !(item && item->ended)) {
        return {decoded.encoding, std::nullopt};
    }
    if (!item) {
        throw Failure(FailureKind::PointerFileEmpty, path);
    }
    return {decoded.encoding, item->value};
}
