#include "launcher/launcher.h"

#include <algorithm>
#include <array>

std::wstring
ArgumentsAfterProgramName(std::wstring_view commandLine,
                          const std::function<bool(std::wstring_view run)>& namesProgram) {
    std::size_t end = std::min(commandLine.find_first_of(L" \t"), commandLine.size());
    if (!commandLine.empty() && commandLine.front() == L'"') {
        const auto closing = commandLine.find(L'"', 1);
        end = closing == std::wstring_view::npos ? commandLine.size() : closing + 1;
    } else {
        for (std::size_t runEnd = end; runEnd <= commandLine.size();
             runEnd = std::min(commandLine.find_first_of(L" \t", runEnd + 1), commandLine.size())) {
            if (namesProgram(commandLine.substr(0, runEnd))) {
                end = runEnd;
                break;
            }
            if (runEnd == commandLine.size()) {
                break;
            }
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
    const auto separator = [](wchar_t c) { return c == L'\\' || c == L'/'; };
    const bool driveLetter = path.size() >= 3 && ((path[0] >= L'A' && path[0] <= L'Z') ||
                                                  (path[0] >= L'a' && path[0] <= L'z'));
    if (driveLetter && path[1] == L':' && separator(path[2])) {
        return true;
    }
    if (!path.starts_with(L"\\\\")) {
        return false;
    }
    // \\server\share: a server name, a separator, then a share name.
    const auto serverEnd = std::find_if(path.begin() + 2, path.end(), separator);
    return serverEnd != path.begin() + 2 && serverEnd != path.end() &&
           serverEnd + 1 != path.end() && !separator(serverEnd[1]);
}

bool IsUsableJavaHome(std::wstring_view javaHomeDir) {
    return IsAbsolutePath(javaHomeDir) &&
           std::none_of(javaHomeDir.begin(), javaHomeDir.end(),
                        [](wchar_t c) { return c == L'"' || c < L' '; });
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
