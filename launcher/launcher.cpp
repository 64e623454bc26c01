#include "launcher/launcher.h"

#include <algorithm>
#include <array>

namespace {

// Whether the command line begins, unquoted, with the path, followed by a blank, a tab or the end.
bool BeginsWithPath(std::wstring_view commandLine, std::wstring_view path) {
    const auto upper = [](wchar_t c) { return c >= L'a' && c <= L'z' ? c - L'a' + L'A' : c; };
    if (path.empty() || commandLine.size() < path.size() ||
        !std::equal(path.begin(), path.end(), commandLine.begin(),
                    [&](wchar_t x, wchar_t y) { return upper(x) == upper(y); })) {
        return false;
    }
    return commandLine.size() == path.size() || commandLine[path.size()] == L' ' ||
           commandLine[path.size()] == L'\t';
}

} // namespace

std::wstring ArgumentsAfterProgramName(std::wstring_view commandLine,
                                       std::wstring_view executablePath) {
    std::size_t end = 0;
    if (!commandLine.empty() && commandLine.front() == L'"') {
        const auto closing = commandLine.find(L'"', 1);
        end = closing == std::wstring_view::npos ? commandLine.size() : closing + 1;
    } else if (BeginsWithPath(commandLine, executablePath)) {
        end = executablePath.size();
    } else {
        end = std::min(commandLine.find_first_of(L" \t"), commandLine.size());
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
    const bool driveRooted =
        driveLetter && path[1] == L':' && (path[2] == L'\\' || path[2] == L'/');
    return driveRooted || path.starts_with(L"\\\\");
}

bool IsUsableJavaHome(std::wstring_view javaHomeDir) {
    return IsAbsolutePath(javaHomeDir) && javaHomeDir.find(L'"') == std::wstring_view::npos;
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
