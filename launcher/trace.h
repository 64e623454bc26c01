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
#include <string>
#include <string_view>

class Trace {
public:
    // Reads PELORIN_TRACE; the trace is off when it is unset, empty, or names no file that a trace
    // may be written to (see TraceFilePath).
    Trace() noexcept;

    explicit operator bool() const { return !path_.empty(); }

    // Adds a line, joined from its parts, when the trace is on. Control characters in the parts
    // are shown as their pictures (see Visible), so that a line is always one line.
    template <typename... Parts> void Line(const Parts&... parts) {
        if (!path_.empty()) {
            Add({std::wstring_view(parts)...}, false);
        }
    }

    // Adds a text of the program's own of several lines, such as a report, after its lead: each
    // of its line ends starts an indented line below the step's.
    void Lines(std::wstring_view lead, std::wstring_view text) {
        if (!path_.empty()) {
            Add({lead, text}, true);
        }
    }

    // Appends the block to the file in one write, so that runs appending at once never mix their
    // lines. Lines added after it go into a block of their own, marked as continued.
    void Write() noexcept;

private:
    void Add(std::initializer_list<std::wstring_view> parts, bool keepLineEnds);

    std::wstring path_;
    std::uint64_t started_ = 0; // microseconds
    std::wstring block_;
    bool written_ = false;
};

// Adds the line that tells how the pointer file was read and what its first item is.
void TracePointer(Trace& trace, const RuntimePointer& pointer);

// Adds the lines that name the code page the runtime reads in and tell, for each part it would read
// otherwise, the characters the page lacks and the name that went instead, or that there is none.
void TraceRuntimeReading(Trace& trace, const RuntimeReading& reading);

// Adds the lines that tell what each registry view answered, why a home was passed over, and the
// Java home chosen.
void TraceJavaHome(Trace& trace, const JavaHomeChoice& choice);
