#include "launcher/failure_report.h"

#include "launcher/launcher.h"
#include "launcher/pelorin_main.h"
#include "platform/platform.h"

namespace {

std::wstring DescribeUnexpectedFailure() {
    return L"Pelorin stopped because of an unexpected failure, perhaps too little memory. Nothing "
           L"was started. Close other programs and try again.";
}

std::wstring Reason(const Failure& failure) {
    if (failure.systemText.empty()) {
        return {};
    }
    std::wstring reason = L"\n\nReason: " + failure.systemText;
    if (!failure.api.empty()) {
        reason += L" (" + failure.api + L", error " + DecimalText(failure.systemCode) + L")";
    }
    return reason;
}

} // namespace

int ExitStatusFor(FailureKind kind) {
    switch (kind) {
    case FailureKind::FileNotFound:
        return PointerFileNotFound;
    case FailureKind::InputPastEndOfFile:
        return PointerFileEmpty;
    case FailureKind::CannotStartProcess:
        return ApplicationNotStarted;
    }
    return UnexpectedFailure;
}

std::wstring DescribeFailure(const Failure& failure) {
    switch (failure.kind) {
    case FailureKind::FileNotFound:
        return L"File not found: the runtime pointer file could not be opened.\n\n" +
               failure.subject + Reason(failure) +
               L"\n\nReinstall the application so that JRE.pelorin is back beside Pelorin.exe.";
    case FailureKind::InputPastEndOfFile:
        return L"Input past end of file: the runtime pointer file is empty.\n\n" + failure.subject +
               L"\n\nIts first line must name the registry key of the Java runtime. Reinstall "
               L"the application to restore it.";
    case FailureKind::CannotStartProcess:
        // A system error leaves the runtime in doubt; the other reasons say what to do themselves.
        return L"Cannot start process: the application could not be started with this "
               L"command.\n\n" +
               failure.subject + Reason(failure) +
               (failure.api.empty()
                    ? std::wstring()
                    : std::wstring(
                          L"\n\nCheck that the Java runtime is installed, or reinstall it."));
    }
    return DescribeUnexpectedFailure();
}

int RunPelorin() {
    try {
        PelorinMain::Main();
        return Success;
    } catch (const Failure& failure) {
        platform::ReportFailure(DescribeFailure(failure));
        return ExitStatusFor(failure.kind);
    } catch (const std::exception&) {
        platform::ReportFailure(DescribeUnexpectedFailure());
        return UnexpectedFailure;
    }
}
