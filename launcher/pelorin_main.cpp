#include "launcher/pelorin_main.h"

#include "help/help.h"
#include "launcher/failure_report.h"
#include "launcher/launcher.h"
#include "launcher/pointer_file.h"
#include "platform/failure.h"
#include "platform/platform.h"
#include "registry/registry.h"

namespace PelorinMain {

std::wstring argLine;
std::wstring runtimeKeyPath;
std::wstring javaHomeDir;
std::wstring javawPrefix;
std::wstring jarArgument;
std::wstring launchCommand;

namespace {

std::wstring ReadRuntimeKeyPath(const std::wstring& executableDir) {
    const std::wstring path = executableDir + L"\\JRE.pelorin";
    const auto item = ReadFirstDataItem(platform::ReadFileBytes(path));
    if (!item) {
        throw Failure(FailureKind::InputPastEndOfFile, path);
    }
    return platform::AnsiToWide(*item);
}

} // namespace

void Main() {
    argLine = TrimBlanks(platform::ArgumentString());
    const std::wstring executableDir = platform::ExecutableDirectory();
    runtimeKeyPath = ReadRuntimeKeyPath(executableDir);
    javaHomeDir = modRegAccess::ReadRegistryString(modRegAccess::HKEY_LOCAL_MACHINE_ROOT,
                                                   runtimeKeyPath, L"JavaHome")
                      .value_or(std::wstring());
    javawPrefix = MakeJavawPrefix(javaHomeDir);

    // The pointer file is read, and must be readable, before a help request is honoured.
    if (IsHelpRequest(argLine)) {
        ShowHelpModal();
        return;
    }

    jarArgument = MakeJarArgument(executableDir);
    argLine = NormaliseArguments(argLine);
    launchCommand = ComposeLaunchCommand(javawPrefix, jarArgument, argLine, javaHomeDir);
    if (launchCommand.size() > MaxCommandLineLength) {
        // Windows refuses such a command line, and Wine would start a truncated one.
        throw Failure(FailureKind::CannotStartProcess, launchCommand.substr(0, 200) + L"...", {}, 0,
                      L"the command line is " + DecimalText(launchCommand.size()) +
                          L" characters long, and Windows starts at most " +
                          DecimalText(MaxCommandLineLength) + L".");
    }
    platform::LaunchProcess(launchCommand, SW_SHOWNORMAL_STATE);
}

} // namespace PelorinMain
