// The support trace. When PELORIN_TRACE names a file, the run appends one block to it, in UTF-8
// with CR LF line ends, that tells how it found the Java runtime: a header with the date and time,
// Pelorin's version and the process id, then a line a step, each with the milliseconds since the
// run began. It changes nothing else: unset, it costs one environment lookup, and a file that
// can't be written is passed over.
#pragma once

#include "launcher/java_home.h"
#include "launcher/pointer_file.h"
#include "launcher/runtime_reading.h"

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

class Trace;

// What a record's wording writes to: lines, each joined from its parts, or a text of the
// program's own of several lines, such as a report, after its lead, each of its line ends
// starting an indented line below the step's. Control characters in the parts are shown as their
// pictures (see Visible), so that a line is always one line.
class TraceSink {
public:
    void Line(std::initializer_list<std::wstring_view> parts) { Add(parts, false); }
    void Lines(std::wstring_view lead, std::wstring_view text) { Add({lead, text}, true); }

private:
    friend class Trace;
    explicit TraceSink(Trace& trace) : trace_(trace) {}
    void Add(std::initializer_list<std::wstring_view> parts, bool keepLineEnds);
    Trace& trace_;
};

// The steps of a run that the trace tells, each a record handed over as it happens, by Main and
// the steps it calls: ReadRuntimeKeyPath, ShowUsage, DecideLaunch, FindJavaExe, Start and
// RunPelorin. Each record's wording has one home, the Say function for it.
struct RunBegins {
    std::wstring_view commandLine, argLine, executableDir, pointerFile;
};
struct JavaExeLookup {
    std::wstring_view folder;
    const std::optional<std::wstring>& found;
};
// The steps told in words alone.
enum class Step {
    UsageTextToStandardOutput,
    StandardOutputDidNotTakeIt,
    UsageWindowShown,
    UsageWindowClosed,
    Ended, // with exit status 0
};
struct Starting {
    std::wstring_view program, commandLine;
};
struct Started {
    std::uint32_t processId;
};
struct Reported {
    int status;
    std::wstring_view report;
    bool inWindow;
};

void Say(TraceSink& sink, const RunBegins& record);
// How the pointer file was read and what its first item is.
void Say(TraceSink& sink, const RuntimePointer& pointer);
// What each registry view answered, why a home was passed over, and the Java home chosen.
void Say(TraceSink& sink, const JavaHomeChoice& choice);
void Say(TraceSink& sink, const JavaExeLookup& record);
// The code page the runtime reads in and, for each part it would read otherwise, the characters
// the page lacks and the name that went instead, or that there is none: the first few, then how
// many more.
void Say(TraceSink& sink, const RuntimeReading& reading);
void Say(TraceSink& sink, Step step);
// Each option variable that is set, and the characters of it that the runtime's code page lacks.
void Say(TraceSink& sink, const OptionVariables& record);
void Say(TraceSink& sink, const Starting& record);
void Say(TraceSink& sink, const Started& record);
void Say(TraceSink& sink, const Reported& record);

class Trace {
public:
    // Reads PELORIN_TRACE; the trace is off when it is unset, empty, or names no file that a trace
    // may be written to (see TraceFilePath).
    Trace() noexcept;

    // Adds the lines that tell a step, when the trace is on; when it is off, the record's wording
    // is never built.
    template <typename Record> void Tell(const Record& record) {
        if (!path_.empty()) {
            TraceSink sink(*this);
            Say(sink, record);
        }
    }

    // Adds the record that read() gives, which reads it only when the trace is on: a step hands
    // over what the trace alone needs without asking the machine for it on every run.
    template <typename Read> void TellRead(Read read) {
        if (!path_.empty()) {
            TraceSink sink(*this);
            Say(sink, read());
        }
    }

    // Appends the block to the file in one write, so that runs appending at once never mix their
    // lines. Lines added after it go into a block of their own, marked as continued.
    void Write() noexcept;

private:
    friend class TraceSink;
    void Add(std::initializer_list<std::wstring_view> parts, bool keepLineEnds);

    std::wstring path_;
    std::uint64_t started_ = 0; // microseconds
    std::wstring block_;
    bool written_ = false;
};

inline void TraceSink::Add(std::initializer_list<std::wstring_view> parts, bool keepLineEnds) {
    trace_.Add(parts, keepLineEnds);
}
