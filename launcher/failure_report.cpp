#include "launcher/failure_report.h"

#include "launcher/launcher.h"
#include "launcher/text.h"

namespace {

std::wstring Reason(const std::optional<platform::SystemError>& cause, const std::wstring& reason) {
    if (cause) {
        return L"\n\nReason: " + WithInserts(cause->text, {}) + L" (" + cause->call + L", error " +
               DecimalText(cause->code) + L")";
    }
    return reason.empty() ? std::wstring() : L"\n\nReason: " + reason;
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
    case FailureKind::WindowCannotBeShown:
        return UsageWindowNotShown;
    }
    return UnexpectedFailure;
}

std::wstring DescribeFailure(const Failure& failure) {
    const std::wstring reason = Reason(failure.cause, failure.reason);
    const std::wstring subject = Abbreviated(Visible(failure.subject));
    switch (failure.kind) {
    case FailureKind::FileNotFound:
        return L"File not found: the runtime pointer file could not be opened.\n\n" + subject +
               reason +
               L"\n\nReinstall the application so that JRE.pelorin is back beside Pelorin.exe.";
    case FailureKind::InputPastEndOfFile:
        return L"Input past end of file: the runtime pointer file is empty.\n\n" + subject +
               L"\n\nIts first line must name the registry key of the Java runtime. Reinstall "
               L"the application to restore it.";
    case FailureKind::CannotStartProcess:
        // A system error leaves the runtime in doubt; the other reasons say what to do themselves.
        return L"Cannot start process: the application could not be started with this "
               L"command.\n\n" +
               subject + reason +
               (failure.cause ? L"\n\nCheck that the Java runtime is installed, or reinstall it."
                              : L"");
    case FailureKind::WindowCannotBeShown:
        return L"The usage window of Pelorin.exe -? could not be shown." + reason +
               L"\n\nClose other programs and try again, from a signed-in Windows desktop.";
    }
    return DescribeUnexpectedFailure(failure.cause);
}

std::wstring DescribeUnexpectedFailure(const std::optional<platform::SystemError>& cause) {
    if (cause) {
        return L"Pelorin stopped because of an unexpected failure. Nothing was started." +
               Reason(cause, {}) +
               L"\n\nTry again; if it happens again, reinstall the application.";
    }
    return L"Pelorin stopped because of an unexpected failure, perhaps too little memory. Nothing "
           L"was started. Close other programs and try again.";
}
