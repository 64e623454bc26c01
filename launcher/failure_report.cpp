#include "launcher/failure_report.h"

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

std::wstring DescribeFailure(const Failure& failure) {
    const std::wstring reason = Reason(failure.cause, failure.reason);
    const std::wstring subject = Abbreviated(Visible(failure.subject));
    switch (failure.kind) {
    case FailureKind::PointerFileNotFound:
        return L"File not found: the runtime pointer file could not be opened.\n\n" + subject +
               reason +
               L"\n\nReinstall the application so that JRE.pelorin is back beside Pelorin.exe.";
    case FailureKind::PointerFileEmpty:
        return L"Input past end of file: the runtime pointer file is empty.\n\n" + subject +
               L"\n\nIts first line must name the registry key of the Java runtime. Reinstall "
               L"the application to restore it.";
    case FailureKind::ApplicationNotStarted:
        // A system error leaves the runtime in doubt; the other reasons say what to do themselves.
        return L"Cannot start process: the application could not be started with this "
               L"command.\n\n" +
               subject + reason +
               (failure.cause ? L"\n\nCheck that the Java runtime is installed, or reinstall it."
                              : L"");
    case FailureKind::NotInCodePage:
        return L"Cannot start process: the Java runtime would read this as something else, so "
               L"nothing was started.\n\n" +
               subject + reason;
    case FailureKind::UsageWindowNotShown:
        return L"The usage window of Pelorin.exe -? could not be shown." + reason +
               L"\n\nClose other programs and try again, from a signed-in Windows desktop.";
    }
    return DescribeUnexpectedFailure(failure.cause);
}

std::wstring NotInCodePageReason(const ChangedPart& part, std::uint32_t codePage) {
    const std::wstring page = L"code page " + DecimalText(codePage);
    const wchar_t* const todo = part.part == RuntimePart::Argument  ? L"Rename the file, or move it"
                                : part.part == RuntimePart::Runtime ? L"Reinstall the Java runtime"
                                                                    : L"Reinstall the application";
    return L"The Java runtime reads its command line in " + page + L", which lacks " +
           NamedCharacters(part.lacking) + L" of " + PartName(part) +
           L", and no other name of it reads back the same.\n\n" + todo +
           L" into a folder whose path has only characters of " + page +
           L"; or have Windows use UTF-8 for programs that are not Unicode (Region settings, "
           L"Administrative, Change system locale, \"Use Unicode UTF-8 for worldwide language "
           L"support\").";
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
