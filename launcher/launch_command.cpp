#include "launcher/launch_command.h"

#include <array>
#include <string_view>

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
    if (javaHomeDir.empty()) {
        return L"java.exe -jar " + jarArgument + argLine;
    }
    return javawPrefix + L"-jar " + jarArgument + argLine;
}
