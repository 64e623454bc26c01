#include "launcher/launcher.h"

#include <algorithm>
#include <array>
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

// The program name as the C runtime reads it: up to the first blank or tab outside double quotes,
// with the quotes taken out. Gives the name and where it ends in the line.
std::pair<std::wstring, std::size_t> RuntimeProgramName(std::wstring_view commandLine) {
    std::wstring name;
    bool quoted = false;
    std::size_t at = 0;
    for (; at < commandLine.size() &&
           (quoted || (commandLine[at] != L' ' && commandLine[at] != L'\t'));
         ++at) {
        if (commandLine[at] == L'"') {
            quoted = !quoted;
        } else {
            name.push_back(commandLine[at]);
        }
    }
    return {name, at};
}

} // namespace

std::wstring
ArgumentsAfterProgramName(std::wstring_view commandLine,
                          const std::function<bool(std::wstring_view run)>& namesProgram) {
    std::size_t end = std::min(commandLine.find_first_of(L" \t"), commandLine.size());
    bool named = false;
    if (!commandLine.empty() && commandLine.front() == L'"') {
        const auto closing = commandLine.find(L'"', 1);
        end = closing == std::wstring_view::npos ? commandLine.size() : closing + 1;
        named =
            closing == std::wstring_view::npos || namesProgram(commandLine.substr(1, closing - 1));
    } else {
        // Each run, shortest first, up to the whole line.
        for (std::size_t runEnd = end; !named;
             runEnd = std::min(commandLine.find_first_of(L" \t", runEnd + 1), commandLine.size())) {
            if (namesProgram(commandLine.substr(0, runEnd))) {
                end = runEnd;
                named = true;
            }
            if (runEnd == commandLine.size()) {
                break;
            }
        }
    }
    // cmd.exe runs a line whose quotes close inside the path, such as "C:\Program Files"\x.exe,
    // and passes it on as typed.
    if (!named) {
        const auto [name, nameEnd] = RuntimeProgramName(commandLine);
        if (nameEnd != name.size() && namesProgram(name)) { // it had quotes to take out
            end = nameEnd;
        }
    }
    const auto arguments = commandLine.find_first_not_of(L" \t", end);
    return arguments == std::wstring_view::npos ? std::wstring()
                                                : std::wstring(commandLine.substr(arguments));
}

std::wstring DirectoryOf(std::wstring_view path) {
    const auto slash = path.find_last_of(L'\\');
    return std::wstring(path.substr(0, slash == std::wstring_view::npos ? 0 : slash));
}

std::wstring TrimBlanks(std::wstring_view text) {
    const auto first = text.find_first_not_of(L' ');
    if (first == std::wstring_view::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(L' ');
    return std::wstring(text.substr(first, last - first + 1));
}

bool IsAbsolutePath(std::wstring_view path) {
    const bool driveLetter = path.size() >= 3 && ((path[0] >= L'A' && path[0] <= L'Z') ||
                                                  (path[0] >= L'a' && path[0] <= L'z'));
    return (driveLetter && path[1] == L':' && (path[2] == L'\\' || path[2] == L'/')) ||
           UncParts(path).has_value();
}

bool IsUsableJavaHome(std::wstring_view javaHomeDir) {
    return IsAbsolutePath(javaHomeDir) &&
           std::none_of(javaHomeDir.begin(), javaHomeDir.end(),
                        [](wchar_t c) { return c == L'"' || c < L' ' || c == L'\x7F'; });
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
    const std::wstring trimmed = TrimBlanks(value);
    std::wstring_view variable = trimmed;
    if (variable.size() >= 2 && variable.front() == L'"' && variable.back() == L'"') {
        variable = variable.substr(1, variable.size() - 2);
    }
    // A colon after the drive's names a device (COM1:) or a stream of a file (x.log:s).
    if (!IsUsableJavaHome(variable) || variable.find(L':', 2) != std::wstring_view::npos) {
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

std::wstring JavawPath(const std::wstring& javaHomeDir) {
    return javaHomeDir + L"\\bin\\javaw.exe";
}

std::wstring MakeJavawPrefix(const std::wstring& javaHomeDir) {
    return L"\"" + JavawPath(javaHomeDir) + L"\" ";
}

std::wstring MakeJarArgument(const std::wstring& executableDir) {
    return L"\"" + executableDir + L"\\Virelt.jar\" ";
}

std::wstring NormaliseArguments(const std::wstring& argLine) {
    if (argLine.empty()) {
        return argLine;
    }
    static constexpr std::array<std::wstring_view, 4> applicationOptions{L"-p", L"-s", L"-v",
                                                                         L"-e"};
    const std::wstring_view head = std::wstring_view(argLine).substr(0, 2);
    for (const auto option : applicationOptions) {
        if (head == option) {
            return argLine;
        }
    }
    return L" -e " + argLine;
}

std::wstring ComposeLaunchCommand(const std::wstring& javawPrefix, const std::wstring& jarArgument,
                                  const std::wstring& argLine, const std::wstring& javaHomeDir) {
    if (TrimBlanks(javaHomeDir).empty()) {
        return L"java.exe -jar " + jarArgument + argLine;
    }
    return javawPrefix + L"-jar " + jarArgument + argLine;
}
