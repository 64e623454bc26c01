// The one way a run goes wrong: a Failure is thrown where an operation fails and caught once, at
// the program's entry, which reports it and ends the run with the exit status of its kind.
#pragma once

#include <cstdint>
#include <exception>
#include <string>

enum class FailureKind {
    FileNotFound,       // the runtime pointer file can't be opened
    InputPastEndOfFile, // the runtime pointer file holds no data item
    CannotStartProcess, // the launch command can't be started
};

struct Failure : std::exception {
    Failure(FailureKind kind, std::wstring subject, std::wstring api = {},
            std::uint32_t systemCode = 0, std::wstring systemText = {})
        : kind(kind), subject(std::move(subject)), api(std::move(api)), systemCode(systemCode),
          systemText(std::move(systemText)) {}

    const char* what() const noexcept override { return "Pelorin failure"; }

    FailureKind kind;
    std::wstring subject;     // what it concerns: a full path or a command line
    std::wstring api;         // the system call that failed, if one did
    std::uint32_t systemCode; // that call's error code
    std::wstring systemText;  // the system's own words for that code
};
