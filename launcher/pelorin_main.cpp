#include "launcher/pelorin_main.h"

#include "help/help.h"
#include "launcher/command_line.h"
#include "launcher/failure_report.h"
#include "launcher/java_home.h"
#include "launcher/launch_command.h"
#include "launcher/paths.h"
#include "launcher/pointer_file.h"
#include "launcher/program_search.h"
#include "launcher/runtime_reading.h"
#include "launcher/wording.h"
#include "platform/platform.h"

namespace PelorinMain {
namespace {

std::optional<std::wstring> ReadRuntimeKeyPath(const std::wstring& path, Trace& trace) {
    const RuntimePointer pointer = ReadRuntimePointer(path);
    trace.Tell(pointer);
    return pointer.keyPath;
}

// The usage window, or, where nobody could see it, the usage text on standard output.
void ShowUsage(Trace& trace) {
    if (!platform::WindowsCanBeSeen()) {
        trace.Tell(Step::UsageTextToStandardOutput);
        if (!platform::WriteStandardOutput(UsageText())) {
            trace.Tell(Step::StandardOutputDidNotTakeIt);
        }
        return;
    }
    trace.Tell(Step::UsageWindowShown);
    trace.Write(); // a run ended while the window is open leaves its trace all the same
    try {
        ShowHelpModal();
    } catch (const platform::SystemError& error) {
        throw Failure(FailureKind::UsageWindowNotShown, {}, error);
    }
    trace.Tell(Step::UsageWindowClosed);
}

// Refuses a launch command longer than Windows starts, with advice that fits what made it so: the
// arguments, or the Java home or application folder in parts alone; or, given the reading whose
// short names are in it, those names, as the command line of givenLength was within bounds.
void CheckLength(const std::wstring& launchCommand, const RuntimeParts& parts,
                 const RuntimeReading* reading = nullptr, std::size_t givenLength = 0) {
    if (launchCommand.size() <= MaxCommandLineLength) {
        return;
    }
    const bool folders = launchCommand.size() - parts.argLine.size() > MaxCommandLineLength;
    const bool javaHome = parts.runtime.size() >= parts.executableDir.size();
    const std::wstring advice =
        reading ? L"It was " + DecimalText(givenLength) + L" characters until the short names " +
                      L"went in for what code page " + DecimalText(reading->codePage) +
                      L" lacks: pass fewer arguments, or rename the files with characters of " +
                      L"that code page."
        : !folders ? L"Open the data file from a shorter path, or pass fewer arguments."
        : javaHome ? L"The Java runtime's folder alone makes it too long: reinstall the Java "
                     L"runtime in a folder with a shorter path."
                   : L"The application's folder alone makes it too long: reinstall the "
                     L"application in a folder with a shorter path.";
    // Windows refuses such a command line, and Wine would start a truncated one.
    throw Failure(FailureKind::ApplicationNotStarted, launchCommand,
                  Reason{L"the command line is " + DecimalText(launchCommand.size()) +
                         L" characters long, and Windows starts at most " +
                         DecimalText(MaxCommandLineLength) + L". " + advice});
}

// The java.exe of the fallback: the first in the folders Windows would search, less the current
// directory, where a data file the user opened may have brought a java.exe of its own.
std::wstring FindJavaExe(const std::wstring& executableDir, const std::wstring& launchCommand,
                         Trace& trace) {
    const auto folders =
        ProgramSearchFolders(executableDir, platform::SystemDirectory(),
                             platform::WindowsDirectory(), platform::EnvironmentVariable(L"PATH"));
    for (const auto& folder : folders) {
        const auto found = ProgramInFolder(folder, L"java.exe");
        trace.Tell(JavaExeLookup{folder, found});
        if (found) {
            return *found;
        }
    }
    throw Failure(FailureKind::ApplicationNotStarted, launchCommand,
                  Reason{L"no Java runtime is registered, and java.exe was found neither beside "
                         L"Pelorin.exe, nor in the Windows folders, nor on the search path (PATH). "
                         L"Install a Java runtime, or reinstall the application."});
}

// The launch of one shape or the other, from the parts: javaw.exe under the Java home, or, with
// none, the java.exe found. ComposeLaunchCommand builds either by the Java home it is given.
Launch LaunchOf(bool javaHome, const RuntimeParts& parts) {
    const std::wstring home = javaHome ? parts.runtime : std::wstring();
    return {javaHome ? JavawPath(home) : parts.runtime,
            ComposeLaunchCommand(MakeJavawPrefix(home), MakeJarArgument(parts.executableDir),
                                 parts.argLine, home)};
}

// The launch, decided in one place: the command that MakeJarArgument, NormaliseArguments and
// ComposeLaunchCommand build for the Java home chosen, or without one for the java.exe found;
// where the ANSI runtime would read a part of it otherwise, the same built from the parts' short
// names. Throws Failure when no launch can be started.
Launch DecideLaunch(const std::optional<JavaHome>& home, const std::wstring& executableDir,
                    const std::wstring& argLine, Trace& trace) {
    RuntimeParts parts{home ? home->dir : std::wstring(), executableDir,
                       NormaliseArguments(argLine), !home || home->javawThere};
    Launch launch = LaunchOf(home.has_value(), parts);
    CheckLength(launch.commandLine, parts);
    if (!home) {
        parts.runtime = launch.program = FindJavaExe(executableDir, launch.commandLine, trace);
    }

    // What the ANSI runtime would read otherwise goes by another name of the same file.
    const RuntimeReading reading = ReadingForAnsiRuntime(parts);
    trace.Tell(reading);
    if (const ChangedPart* refused = reading.Refused()) {
        throw Failure(FailureKind::NotInCodePage, refused->text,
                      Reason{NotInCodePageReason(*refused, reading.codePage)});
    }
    if (reading.changed.empty()) {
        return launch;
    }
    const std::size_t givenLength = launch.commandLine.size();
    launch = LaunchOf(home.has_value(), reading.parts);
    CheckLength(launch.commandLine, reading.parts, &reading, givenLength);
    return launch;
}

void Start(const Launch& launch, Trace& trace) {
    trace.TellRead(ReadOptionVariables);
    trace.Tell(Starting{launch.program, launch.commandLine});
    trace.Write(); // a run that dies inside the start leaves the steps that led to it
    try {
        const std::uint32_t processId = platform::LaunchProcess(launch.program, launch.commandLine,
                                                                platform::ShowState::Normal);
        trace.Tell(Started{processId});
    } catch (const platform::SystemError& error) {
        // The system's text may name the program it could not start as its insert %1.
        platform::SystemError named = error;
        named.text = WithInserts(error.text, launch.program);
        throw Failure(FailureKind::ApplicationNotStarted, launch.commandLine, named);
    }
}

} // namespace

std::optional<Launch> Main(Trace& trace) {
    const std::wstring executablePath = platform::ExecutablePath();
    const std::wstring executableDir = DirectoryOf(executablePath);
    const std::wstring commandLine = platform::CommandLine();
    const std::wstring argLine = TrimBlanks(ArgumentsAfterProgramName(
        commandLine, [&](std::wstring_view run) { return NamesProgram(run, executablePath); }));
    const std::wstring pointerFile = executableDir + L"\\JRE.pelorin";
    trace.Tell(RunBegins{commandLine, argLine, executableDir, pointerFile});
    const std::optional<std::wstring> runtimeKeyPath = ReadRuntimeKeyPath(pointerFile, trace);
    const JavaHomeChoice javaHome =
        runtimeKeyPath ? ChooseJavaHome(*runtimeKeyPath) : JavaHomeChoice{};
    trace.Tell(javaHome);

    // The pointer file is read, and must be readable, before a help request is honoured.
    if (IsHelpRequest(argLine)) {
        ShowUsage(trace);
        return std::nullopt;
    }

    const Launch launch = DecideLaunch(javaHome.home, executableDir, argLine, trace);
    Start(launch, trace);
    return launch;
}

int RunPelorin() {
    Trace trace;
    const auto fail = [&](const std::wstring& text, int status) {
        const std::wstring report = WithWindowsLineEnds(text);
        const bool inWindow = platform::WindowsCanBeSeen();
        trace.Tell(Reported{status, report, inWindow});
        trace.Write();
        platform::ReportFailure(L"Pelorin", report, inWindow);
        return status;
    };
    try {
        Main(trace);
        trace.Tell(Step::Ended);
        trace.Write();
        return static_cast<int>(ExitStatus::Success);
    } catch (const Failure& failure) {
        return fail(DescribeFailure(failure), static_cast<int>(failure.kind));
    } catch (const platform::SystemError& error) {
        return fail(DescribeUnexpectedFailure(&error),
                    static_cast<int>(ExitStatus::UnexpectedFailure));
    } catch (const std::exception&) {
        return fail(DescribeUnexpectedFailure(nullptr),
                    static_cast<int>(ExitStatus::UnexpectedFailure));
    }
}

} // namespace PelorinMain
