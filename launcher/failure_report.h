// How a run goes wrong, how that is told to the user, and the exit status it ends with.
#pragma once

#include "launcher/runtime_reading.h"
#include "platform/platform.h"

#include <cstdint>
#include <exception>
#include <optional>
#include <string>

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

// Thrown where a step of the run fails, and caught once, by PelorinMain::RunPelorin.
struct Failure : std::exception {
    Failure(FailureKind kind, std::wstring subject, std::optional<platform::SystemError> cause,
            std::wstring reason = {})
        : kind(kind), subject(std::move(subject)), cause(std::move(cause)),
          reason(std::move(reason)) {}

    const char* what() const noexcept override { return "Pelorin failure"; }

    FailureKind kind;
    std::wstring subject;                       // what it concerns: a full path or a command line
    std::optional<platform::SystemError> cause; // the system call that failed, if one did
    std::wstring reason;                        // in plain words, when no system call failed
};

// The text of the failure report: what failed, where, the system's reason and what to do next.
std::wstring DescribeFailure(const Failure& failure);

// Why the runtime can't be given a part of the launch that it would read otherwise, and what the
// user can do about it.
std::wstring NotInCodePageReason(const ChangedPart& part, std::uint32_t codePage);

// The report of a failure that no step expected, such as a failed system call or too little
// memory; cause names the call when there is one.
std::wstring DescribeUnexpectedFailure(const std::optional<platform::SystemError>& cause);

// Longest command line that Windows starts, terminator not counted.
inline constexpr std::size_t MaxCommandLineLength = 32766;
