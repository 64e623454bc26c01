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
// this gives. Every failure that ends the run is caught here: a Failure with its kind's status, a
// SystemError or anything else as an unexpected failure. The steps catch a SystemError only to
// make it a Failure of their own (the pointer file, the usage window, the start), and the trace
// catches what keeps it from being written, which changes nothing of the run.
int RunPelorin();

} // namespace PelorinMain
