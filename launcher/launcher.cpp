#include "launcher/launcher.h"

#include <array>

std::wstring TrimBlanks(std::wstring_view text) {
    const auto first = text.find_first_not_of(L' ');
    if (first == std::wstring_view::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(L' ');
    return std::wstring(text.substr(first, last - first + 1));
}

std::wstring MakeJavawPrefix(const std::wstring& javaHomeDir) {
    return L"\"" + javaHomeDir + L"\\bin\\javaw.exe\" ";
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
