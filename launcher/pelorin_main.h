// The start-up sequence: resolve the Java runtime, then show the usage window or start the
// application, and end.
#pragma once

#include "launcher/trace.h"

#include <optional>
#include <string>

namespace PelorinMain {

// What a run decided to start: the program, by its full path, and its whole command line.
struct Launch {
    std::wstring program;
    std::wstring commandLine;
    bool operator==(const Launch&) const = default;
};

// Runs once, top to bottom, and gives what it started; nothing when it showed the usage window.
// Says how it went to the trace. Throws Failure when a step can't go on, or the platform's
// SystemError when the machine fails it unexpectedly; nothing is started then.
std::optional<Launch> Main(Trace& trace);

// Runs Main and turns a failure into its report and exit status. The program's entry returns what
// this gives; it is the only place that catches.
int RunPelorin();

} // namespace PelorinMain
