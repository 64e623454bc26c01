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

std::wstring argLine;
std::wstring runtimeKeyPath;
std::wstring javaHomeDir;
std::wstring javawPrefix;
std::wstring jarArgument;
std::wstring launchCommand;

namespace {

// JavaHome under the key, from the first registry view that holds a usable one. A value that is
// not a whole folder path (blanks, a relative path, a double quote) is passed over like a missing
// one, and the next view is asked: a relative one would start a javaw.exe from wherever the user
// opened a data file.
std::wstring ReadJavaHome(const std::wstring& keyPath) {
    for (const auto view : modRegAccess::RegistryViews) {
        const auto read = modRegAccess::ReadRegistryString(modRegAccess::HKEY_LOCAL_MACHINE_ROOT,
                                                           keyPath, L"JavaHome", view);
        if (read.value && IsUsableJavaHome(*read.value)) {
            return *read.value;
        }
    }
    return {};
}

// The program to start for the launch command: none for javaw.exe, whose full path the command
// names; for the java.exe fallback, the java.exe that the search path gives, but never one from
// the current directory.
std::wstring ApplicationToStart(const std::wstring& executableDir) {
    if (!TrimBlanks(javaHomeDir).empty()) {
        return {};
    }
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

} // namespace

void Main() {
    const std::wstring executablePath = platform::ExecutablePath();
    argLine = TrimBlanks(ArgumentsAfterProgramName(platform::CommandLine(), executablePath));
    const std::wstring executableDir = DirectoryOf(executablePath);
    const RuntimePointer pointer = ReadRuntimePointer(executableDir + L"\\JRE.pelorin");
    runtimeKeyPath = pointer.keyPath.value_or(std::wstring());
    javaHomeDir = pointer.keyPath ? ReadJavaHome(*pointer.keyPath) : std::wstring();
    javawPrefix = MakeJavawPrefix(javaHomeDir);

    // The pointer file is read, and must be readable, before a help request is honoured.
    if (IsHelpRequest(argLine)) {
        try {
            ShowHelpModal();
        } catch (const platform::SystemError& error) {
            throw Failure(FailureKind::WindowCannotBeShown, {}, error);
        }
        return;
    }

    jarArgument = MakeJarArgument(executableDir);
    argLine = NormaliseArguments(argLine);
    launchCommand = ComposeLaunchCommand(javawPrefix, jarArgument, argLine, javaHomeDir);
    if (launchCommand.size() > MaxCommandLineLength) {
        // Windows refuses such a command line, and Wine would start a truncated one.
        throw Failure(FailureKind::CannotStartProcess, launchCommand, std::nullopt,
                      L"the command line is " + DecimalText(launchCommand.size()) +
                          L" characters long, and Windows starts at most " +
                          DecimalText(MaxCommandLineLength) +
                          L". Open the data file from a shorter path, or pass fewer arguments.");
    }
    const std::wstring program = ApplicationToStart(executableDir);
    try {
        platform::LaunchProcess(program, launchCommand, SW_SHOWNORMAL_STATE);
    } catch (const platform::SystemError& error) {
        throw Failure(FailureKind::CannotStartProcess, launchCommand, error);
    }
}

} // namespace PelorinMain
