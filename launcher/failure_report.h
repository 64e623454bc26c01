// How a failed run is told to the user, and the exit status it ends with.
#pragma once

#include "platform/failure.h"

#include <string>

// Exit statuses of Pelorin.exe. A launch or a closed usage window ends with Success.
enum ExitStatus : int {
    Success = 0,
    UnexpectedFailure = 1,
    PointerFileNotFound = 2,
    PointerFileEmpty = 3,
    ApplicationNotStarted = 4,
};

int ExitStatusFor(FailureKind kind);

// The text of the failure report: what failed, where, the system's reason and what to do next.
std::wstring DescribeFailure(const Failure& failure);

// Longest command line that Windows starts, terminator not counted.
inline constexpr std::size_t MaxCommandLineLength = 32766;

// Runs the start-up sequence and turns a failure into its report and exit status. The program's
// entry calls this and returns what it gives; it is the only place that catches a Failure.
int RunPelorin();
