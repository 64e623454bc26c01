#include "launcher/pelorin_main.h"

#include "help/help.h"
#include "launcher/failure_report.h"
#include "launcher/launcher.h"
#include "launcher/pointer_file.h"
#include "launcher/program_search.h"
#include "launcher/text.h"
#include "platform/platform.h"
#include "registry/registry.h"

namespace PelorinMain {
namespace {

constexpr int SW_SHOWNORMAL_STATE = 1;

// JavaHome under the key, from the first registry view that holds a usable one; empty when none
// does. A value that is not a whole folder path (blanks, a relative path, a double quote) is passed
// over like a missing one: a relative one would start a javaw.exe from wherever the user opened a
// data file.
std::wstring ReadJavaHome(const std::wstring& runtimeKeyPath) {
    for (const auto view : modRegAccess::RegistryViews) {
        const auto read = modRegAccess::ReadRegistryString(modRegAccess::HKEY_LOCAL_MACHINE_ROOT,
                                                           runtimeKeyPath, L"JavaHome", view);
        if (read.value && IsUsableJavaHome(*read.value)) {
            return *read.value;
        }
    }
    return {};
}

void ShowUsageWindow() {
    try {
        ShowHelpModal();
    } catch (const platform::SystemError& error) {
        throw Failure(FailureKind::WindowCannotBeShown, {}, error);
    }
}

void CheckLength(const std::wstring& launchCommand) {
    if (launchCommand.size() > MaxCommandLineLength) {
        // Windows refuses such a command line, and Wine would start a truncated one.
        throw Failure(FailureKind::CannotStartProcess, launchCommand, std::nullopt,
                      L"the command line is " + DecimalText(launchCommand.size()) +
                          L" characters long, and Windows starts at most " +
                          DecimalText(MaxCommandLineLength) +
                          L". Open the data file from a shorter path, or pass fewer arguments.");
    }
}

// The java.exe of the fallback: the first in the folders Windows would search, less the current
// directory, where a data file the user opened may have brought a java.exe of its own.
std::wstring FindJavaExe(const std::wstring& executableDir, const std::wstring& launchCommand) {
    const auto found =
        FindProgram(L"java.exe", ProgramSearchFolders(executableDir, platform::SystemDirectory(),
                                                      platform::WindowsDirectory(),
                                                      platform::EnvironmentVariable(L"PATH")));
    if (!found) {
        throw Failure(FailureKind::CannotStartProcess, launchCommand, std::nullopt,
                      L"no Java runtime is registered, and java.exe was found neither beside "
                      L"Pelorin.exe, nor in the Windows folders, nor on the search path (PATH). "
                      L"Install a Java runtime, or reinstall the application.");
    }
    return *found;
}

void Start(const Launch& launch) {
    try {
        platform::LaunchProcess(launch.program, launch.commandLine, SW_SHOWNORMAL_STATE);
    } catch (const platform::SystemError& error) {
        throw Failure(FailureKind::CannotStartProcess, launch.commandLine, error);
    }
}

} // namespace

std::optional<Launch> Main() {
    const std::wstring executablePath = platform::ExecutablePath();
    const std::wstring executableDir = DirectoryOf(executablePath);
    const std::wstring argLine =
        TrimBlanks(ArgumentsAfterProgramName(platform::CommandLine(), executablePath));
    const std::optional<std::wstring> runtimeKeyPath =
        ReadRuntimePointer(executableDir + L"\\JRE.pelorin").keyPath;
    const std::wstring javaHomeDir = runtimeKeyPath ? ReadJavaHome(*runtimeKeyPath) : L"";
    const std::wstring javawPrefix = MakeJavawPrefix(javaHomeDir);

    // The pointer file is read, and must be readable, before a help request is honoured.
    if (IsHelpRequest(argLine)) {
        ShowUsageWindow();
        return std::nullopt;
    }

    const std::wstring jarArgument = MakeJarArgument(executableDir);
    const std::wstring normalisedArgLine = NormaliseArguments(argLine);
    const std::wstring launchCommand =
        ComposeLaunchCommand(javawPrefix, jarArgument, normalisedArgLine, javaHomeDir);
    CheckLength(launchCommand);
    const Launch launch{javaHomeDir.empty() ? FindJavaExe(executableDir, launchCommand)
                                            : JavawPath(javaHomeDir),
                        launchCommand};
    Start(launch);
    return launch;
}

int RunPelorin() {
    try {
        Main();
        return Success;
    } catch (const Failure& failure) {
        platform::ReportFailure(L"Pelorin", DescribeFailure(failure));
        return ExitStatusFor(failure.kind);
    } catch (const platform::SystemError& error) {
        platform::ReportFailure(L"Pelorin", DescribeUnexpectedFailure(error));
        return UnexpectedFailure;
    } catch (const std::exception&) {
        platform::ReportFailure(L"Pelorin", DescribeUnexpectedFailure(std::nullopt));
        return UnexpectedFailure;
    }
}

} // namespace PelorinMain
