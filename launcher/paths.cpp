#include "launcher/paths.h"

#include "text/text.h"

#include <algorithm>
#include <optional>

namespace {

struct ServerAndShare {
    std::wstring_view server;
    std::wstring_view share;
};

// The server and share of a UNC path (\\server\share...), when it names both.
std::optional<ServerAndShare> UncParts(std::wstring_view path) {
    if (!path.starts_with(L"\\\\")) {
        return std::nullopt;
    }
    const auto serverEnd = path.find_first_of(L"\\/", 2);
    if (serverEnd == 2 || serverEnd == std::wstring_view::npos) {
        return std::nullopt;
    }
    const auto shareEnd = path.find_first_of(L"\\/", serverEnd + 1);
    const std::wstring_view share = path.substr(serverEnd + 1, shareEnd - serverEnd - 1);
    if (share.empty()) {
        return std::nullopt;
    }
    return ServerAndShare{path.substr(2, serverEnd - 2), share};
}

} // namespace

std::wstring DirectoryOf(std::wstring_view path) {
    const auto slash = path.find_last_of(L'\\');
    return std::wstring(path.substr(0, slash == std::wstring_view::npos ? 0 : slash));
}

bool IsAbsolutePath(std::wstring_view path) {
    const bool driveLetter = path.size() >= 3 && ((path[0] >= L'A' && path[0] <= L'Z') ||
                                                  (path[0] >= L'a' && path[0] <= L'z'));
    return (driveLetter && path[1] == L':' && (path[2] == L'\\' || path[2] == L'/')) ||
           UncParts(path).has_value();
}

bool IsQuotableWholePath(std::wstring_view path) {
    return IsAbsolutePath(path) && std::none_of(path.begin(), path.end(), [](wchar_t c) {
               return c == L'"' || IsControlCharacter(c);
           });
}

namespace {

// Whether text is word, ignoring the case of A to Z.
bool IsWord(std::wstring_view text, std::wstring_view word) {
    const auto upper = [](wchar_t c) { return c >= L'a' && c <= L'z' ? c - L'a' + L'A' : c; };
    return std::equal(text.begin(), text.end(), word.begin(), word.end(),
                      [&](wchar_t x, wchar_t y) { return upper(x) == upper(y); });
}

bool IsDeviceName(std::wstring_view fileName) {
    std::wstring_view base = fileName.substr(0, fileName.find(L'.'));
    base = base.substr(0, base.find_last_not_of(L' ') + 1);
    for (const std::wstring_view device : {L"CON", L"NUL", L"AUX", L"PRN", L"CONIN$", L"CONOUT$"}) {
        if (IsWord(base, device)) {
            return true;
        }
    }
    // Windows reserves the superscript digits one to three there too.
    return base.size() == 4 &&
           (IsWord(base.substr(0, 3), L"COM") || IsWord(base.substr(0, 3), L"LPT")) &&
           ((base[3] >= L'1' && base[3] <= L'9') || base[3] == L'\u00B9' || base[3] == L'\u00B2' ||
            base[3] == L'\u00B3');
}

} // namespace

std::wstring TraceFilePath(std::wstring_view value) {
    // cmd's set PELORIN_TRACE="..." && ... keeps the blank before the && too.
    const std::wstring unquoted = TrimmedAndUnquoted(value);
    const std::wstring_view variable = unquoted;
    // A colon after the drive's names a device (COM1:) or a stream of a file (x.log:s).
    if (!IsQuotableWholePath(variable) || variable.find(L':', 2) != std::wstring_view::npos) {
        return {};
    }
    // \\.\ and \\?\ are the device forms; a share's pipes and mailslots are no files.
    if (const auto unc = UncParts(variable);
        unc && (unc->server == L"." || unc->server == L"?" || IsWord(unc->share, L"pipe") ||
                IsWord(unc->share, L"mailslot"))) {
        return {};
    }
    const auto lastSeparator = variable.find_last_of(L"\\/");
    if (IsDeviceName(variable.substr(lastSeparator + 1))) {
        return {};
    }
    return std::wstring(variable);
}
