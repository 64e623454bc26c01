#include "launcher/failure_report.h"

#include "launcher/runtime_reading.h"
#include "launcher/wording.h"

namespace {

std::wstring CauseText(const platform::SystemError& cause) {
    return L"\n\nReason: " + WithInserts(cause.text, {}) + L" (" + cause.call + L", error " +
           DecimalText(cause.code) + L")";
}

} // namespace

std::wstring DescribeFailure(const Failure& failure) {
    const auto* const cause = std::get_if<platform::SystemError>(&failure.why);
    // Found: a Failure is made only of a kind that has its row.
    const FailureText* text = FailureTexts.begin();
    while (text->kind != failure.kind) {
        ++text;
    }
    std::wstring report = text->headline;
    if (!failure.subject.empty()) {
        report += L"\n\n" + Abbreviated(Visible(failure.subject));
    }
    if (cause) {
        report += CauseText(*cause);
    }
    if (const auto* reason = std::get_if<Reason>(&failure.why)) {
        report += L"\n\nReason: " + reason->text;
    } else if (*text->advice != L'\0') {
        report += L"\n\n";
        report += text->advice;
    }
    return report;
}

std::wstring NotInCodePageReason(const ChangedPart& part, std::uint32_t codePage) {
    const std::wstring page = L"code page " + DecimalText(codePage);
    return L"The Java runtime reads its command line in " + page + L", which lacks " +
           NamedCharacters(part.lacking) + L" of " + PartName(part) +
           L", and no other name of it reads back the same.\n\n" + WordsFor(part.part).remedy +
           L" into a folder whose path has only characters of " + page +
           L"; or have Windows use UTF-8 for programs that are not Unicode (Region settings, "
           L"Administrative, Change system locale, \"Use Unicode UTF-8 for worldwide language "
           L"support\").";
}

std::wstring DescribeUnexpectedFailure(const platform::SystemError* cause) {
    if (cause) {
        return L"Pelorin stopped because of an unexpected failure. Nothing was started." +
               CauseText(*cause) +
               L"\n\nTry again; if it happens again, reinstall the application.";
    }
    return L"Pelorin stopped because of an unexpected failure, perhaps too little memory. Nothing "
           L"was started. Close other programs and try again.";
}
