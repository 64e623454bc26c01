// How a run goes wrong, how that is told to the user, and the exit status it ends with.
#pragma once

#include "platform/platform.h"

#include <array>
#include <cstdint>
#include <exception>
#include <string>
#include <variant>

// What Pelorin could not do, each with its own report; its value is the exit status it ends with.
enum class FailureKind : int {
    PointerFileNotFound = 2,   // the runtime pointer file can't be opened or read
    PointerFileEmpty = 3,      // the runtime pointer file holds no data item
    ApplicationNotStarted = 4, // the launch command can't be started
    UsageWindowNotShown = 5,   // the usage window can't be created
    NotInCodePage = 6,         // the Java runtime would read a part of the launch as something else
};

// The exit statuses that end no failure of a kind above.
enum class ExitStatus : int {
    Success = 0,           // the application was started, or the usage window closed
    UnexpectedFailure = 1, // a failure that no step expected
};

// Each kind's report: its headline, and the advice that ends it after a failed system call, or
// when nothing more is known. A reason in plain words says what to do itself.
struct FailureText {
    FailureKind kind;
    const wchar_t* headline;
    const wchar_t* advice; // empty: none
};
inline constexpr std::array<FailureText, 5> FailureTexts = {{
    {FailureKind::PointerFileNotFound,
     L"File not found: the runtime pointer file could not be opened.",
     L"Reinstall the application so that JRE.pelorin is back beside Pelorin.exe."},
    {FailureKind::PointerFileEmpty, L"Input past end of file: the runtime pointer file is empty.",
     L"Its first line must name the registry key of the Java runtime. Reinstall the application to "
     L"restore it."},
    {FailureKind::ApplicationNotStarted,
     L"Cannot start process: the application could not be started with this command.",
     L"Check that the Java runtime is installed, or reinstall it."},
    {FailureKind::UsageWindowNotShown, L"The usage window of Pelorin.exe -? could not be shown.",
     L"Close other programs and try again, from a signed-in Windows desktop."},
    {FailureKind::NotInCodePage,
     L"Cannot start process: the Java runtime would read this as something else, so nothing was "
     L"started.",
     L""},
}};

// Every kind has its own exit status, none of them one that ExitStatus gives.
constexpr bool FailureStatusesAreTheirOwn() {
    for (std::size_t i = 0; i < FailureTexts.size(); ++i) {
        const int status = static_cast<int>(FailureTexts[i].kind);
        if (status == static_cast<int>(ExitStatus::Success) ||
            status == static_cast<int>(ExitStatus::UnexpectedFailure)) {
            return false;
        }
        for (std::size_t j = 0; j < i; ++j) {
            if (FailureTexts[j].kind == FailureTexts[i].kind) {
                return false;
            }
        }
    }
    return true;
}
static_assert(FailureStatusesAreTheirOwn(), "each failure kind needs an exit status of its own");

// A kind that has its row in FailureTexts, checked where a Failure is made, when it compiles: a
// kind thrown without a row fails the build instead of reporting an unexpected failure.
struct KindWithItsRow {
    consteval KindWithItsRow(FailureKind kind) : kind(kind) { // NOLINT: converts from a kind
        bool found = false;
        for (const FailureText& row : FailureTexts) {
            found = found || row.kind == kind;
        }
        if (!found) {
            throw "a failure kind needs its row in FailureTexts";
        }
    }
    FailureKind kind;
};

// In plain words, why a step failed and what to do, when no system call failed.
struct Reason {
    std::wstring text;
};

// Thrown where a step of the run fails, and caught once, by PelorinMain::RunPelorin.
struct Failure : std::exception {
    Failure(KindWithItsRow kind, std::wstring subject)
        : kind(kind.kind), subject(std::move(subject)) {}
    Failure(KindWithItsRow kind, std::wstring subject, platform::SystemError cause)
        : kind(kind.kind), subject(std::move(subject)), why(std::move(cause)) {}
    Failure(KindWithItsRow kind, std::wstring subject, Reason reason)
        : kind(kind.kind), subject(std::move(subject)), why(std::move(reason)) {}

    const char* what() const noexcept override { return "Pelorin failure"; }

    FailureKind kind;
    std::wstring subject; // what it concerns: a full path or a command line; empty: nothing
    // The system call that failed, or the reason in plain words; or neither.
    std::variant<std::monostate, platform::SystemError, Reason> why;
};

struct ChangedPart;

// The text of the failure report: what failed, where, the system's reason and what to do next.
std::wstring DescribeFailure(const Failure& failure);

// Why the runtime can't be given a part of the launch that it would read otherwise, and what the
// user can do about it.
std::wstring NotInCodePageReason(const ChangedPart& part, std::uint32_t codePage);

// The report of a failure that no step expected, such as a failed system call or too little
// memory; cause names the call when there is one.
std::wstring DescribeUnexpectedFailure(const platform::SystemError* cause);
