#include "launcher/trace.h"

#include "launcher/paths.h"
#include "launcher/wording.h"
#include "pelorin_version.h"
#include "platform/platform.h"

#include <algorithm>

namespace {

// A number in at least this many digits, with leading zeros.
std::wstring Digits(std::uint64_t number, std::size_t width) {
    std::wstring digits = DecimalText(number);
    return std::wstring(width > digits.size() ? width - digits.size() : 0, L'0') + digits;
}

std::wstring Header() {
    const platform::LocalTime now = platform::Now();
    return L"Pelorin " PELORIN_VERSION_TEXT L" trace, " + Digits(now.year, 4) + L"-" +
           Digits(now.month, 2) + L"-" + Digits(now.day, 2) + L" " + Digits(now.hour, 2) + L":" +
           Digits(now.minute, 2) + L":" + Digits(now.second, 2) + L"." +
           Digits(now.millisecond, 3) + L", process " + DecimalText(platform::ProcessId());
}

// Each registry view by its one name.
const wchar_t* ViewName(modRegAccess::RegistryView view) {
    switch (view) {
    case modRegAccess::RegistryView::Bits32:
        return L"32-bit view";
    case modRegAccess::RegistryView::Bits64:
        break;
    }
    return L"64-bit view";
}

std::wstring TraceText(PointerFileEncoding encoding) {
    switch (encoding) {
    case PointerFileEncoding::Utf8:
        return L"UTF-8 after the mark";
    case PointerFileEncoding::Utf16LE:
        return L"UTF-16 little-endian after the mark";
    case PointerFileEncoding::Utf16BE:
        return L"UTF-16 big-endian after the mark";
    case PointerFileEncoding::Ansi:
        break;
    }
    return L"ANSI";
}

std::wstring TraceText(const ViewAnswer& answer) {
    using Outcome = modRegAccess::RegistryRead::Outcome;
    const modRegAccess::RegistryRead& read = answer.read;
    switch (read.outcome) {
    case Outcome::NoKey:
        return L"no key (error " + DecimalText(read.code) + L")";
    case Outcome::NoValue:
        return L"no value JavaHome (error " + DecimalText(read.code) + L")";
    case Outcome::OtherType:
        return L"JavaHome is of type " + read.typeName + L", not " +
               modRegAccess::RegistryTypeName(modRegAccess::StringType);
    case Outcome::Value:
        break;
    }
    const std::wstring value = L"JavaHome = [" + read.value.value_or(L"") + L"]";
    switch (answer.verdict) {
    case HomeVerdict::NotAWholePath:
        return value + L", not a whole folder path: passed over";
    case HomeVerdict::NoJavaw:
        return value + L", which holds no bin\\javaw.exe: passed over";
    case HomeVerdict::NoValue:
    case HomeVerdict::Taken:
        break;
    }
    return value;
}

} // namespace

void Say(TraceSink& sink, const RunBegins& record) {
    sink.Line({L"command line: ", record.commandLine});
    sink.Line({L"arguments: [", record.argLine, L"]"});
    sink.Line({L"executable folder: ", record.executableDir});
    sink.Line({L"pointer file: ", record.pointerFile});
}

void Say(TraceSink& sink, const RuntimePointer& pointer) {
    sink.Line({L"pointer file read as ", TraceText(pointer.encoding), L", first item: ",
               pointer.keyPath ? L"[" + *pointer.keyPath + L"]"
                               : L"none within the first " + DecimalText(MaxPointerFileBytes) +
                                     L" bytes, so it names no registry key"});
}

void Say(TraceSink& sink, const RuntimeReading& reading) {
    const std::wstring page = L"code page " + DecimalText(reading.codePage);
    sink.Line({L"the Java runtime reads its command line in ", page,
               reading.changed.empty() ? L", which holds every part of it" : L""});
    // The first few, so that thousands of arguments make no thousands of lines.
    constexpr std::size_t listed = 8;
    const auto& changed = reading.changed;
    for (std::size_t at = 0; at < std::min(changed.size(), listed); ++at) {
        const ChangedPart& part = changed[at];
        sink.Line({page, L" lacks ", NamedCharacters(part.lacking), L" of ", PartName(part), L" [",
                   part.text,
                   part.absent ? L"]: it is not there, so it goes as the registry names it"
                   : part.replacement.empty()
                       ? L"]: no other name of it reads back the same, so nothing is started"
                       : L"]: it goes as [" + part.replacement + L"]"});
    }
    if (changed.size() > listed) {
        sink.Line(
            {L"and ", DecimalText(changed.size() - listed), L" more parts that ", page, L" lacks"});
    }
}

void Say(TraceSink& sink, const JavaHomeChoice& choice) {
    // A 32-bit Windows keeps one view, which either name reaches.
    const auto viewOf = [&](modRegAccess::RegistryView view) -> std::wstring_view {
        return choice.oneView ? L"one view of a 32-bit Windows" : ViewName(view);
    };
    for (const auto& answer : choice.views) {
        sink.Line({L"registry: ", modRegAccess::RootKeyName(choice.root), L"\\", choice.keyPath,
                   choice.oneView ? L", the " : L", ", viewOf(answer.view), L": ",
                   TraceText(answer)});
    }
    if (!choice.home) {
        sink.Line({L"Java home: none, so java.exe"});
        return;
    }
    const std::wstring_view view = viewOf(choice.home->view);
    if (choice.home->javawThere) {
        sink.Line({L"Java home: ", choice.home->dir, L", from the ", view});
    } else {
        sink.Line({L"Java home: ", choice.home->dir, L", the first whole path, from the ", view,
                   L", though no view's home holds bin\\javaw.exe"});
    }
}

void Say(TraceSink& sink, const JavaExeLookup& record) {
    if (record.found) {
        sink.Line({L"java.exe search: ", record.folder, L": found ", *record.found});
    } else {
        sink.Line({L"java.exe search: ", record.folder, L": none"});
    }
}

void Say(TraceSink& sink, Step step) {
    switch (step) {
    case Step::UsageTextToStandardOutput:
        return sink.Line({L"help request: no one can see a window here, so the usage text goes to "
                          L"standard output"});
    case Step::StandardOutputDidNotTakeIt:
        return sink.Line({L"standard output did not take the usage text: there is none, or nobody "
                          L"read it within a second"});
    case Step::UsageWindowShown:
        return sink.Line({L"help request: the usage window is shown"});
    case Step::UsageWindowClosed:
        return sink.Line({L"the usage window was closed"});
    case Step::Ended:
        break;
    }
    sink.Line({L"exit status 0"});
}

void Say(TraceSink& sink, const OptionVariables& record) {
    for (const OptionVariable& variable : record.each) {
        if (variable.value.empty()) {
            continue;
        }
        sink.Line({L"the Java runtime reads ", variable.name, L" = [",
                   Abbreviated(variable.value, L" "), L"]",
                   variable.lacking.empty()
                       ? L""
                       : L"; code page " + DecimalText(record.codePage) + L" lacks " +
                             NamedCharacters(variable.lacking) + L", which it reads as ?"});
    }
}

void Say(TraceSink& sink, const Starting& record) {
    sink.Line({L"starting: ", record.program});
    sink.Line({L"command line, ", DecimalText(record.commandLine.size()), L" characters: ",
               record.commandLine});
}

void Say(TraceSink& sink, const Started& record) {
    sink.Line({L"started: process ", DecimalText(record.processId)});
}

void Say(TraceSink& sink, const Reported& record) {
    sink.Lines(L"report, exit status " + DecimalText(static_cast<std::uint32_t>(record.status)) +
                   L": ",
               record.report);
    if (!record.inWindow) {
        sink.Line({L"no one can see a window here, so the report goes to standard error only"});
    }
}

Trace::Trace() noexcept {
    try {
        path_ = TraceFilePath(platform::EnvironmentVariable(L"PELORIN_TRACE"));
        if (!path_.empty()) {
            started_ = platform::Microseconds();
        }
    } catch (const std::exception&) {
        path_.clear(); // a trace that can't begin is no trace
    }
}

void Trace::Add(std::initializer_list<std::wstring_view> parts, bool keepLineEnds) {
    if (block_.empty()) {
        block_ = Header() + (written_ ? L", continued" : L"") + L"\r\n";
    }
    std::wstring text;
    for (const auto part : parts) {
        text += part;
    }
    const std::uint64_t tenths = (platform::Microseconds() - started_) / 100;
    const std::wstring time = DecimalText(tenths / 10) + L"." + DecimalText(tenths % 10) + L" ms";
    block_.append(time.size() < 10 ? 10 - time.size() : 0, L' ').append(time).append(L"  ");
    // A text of the program's own keeps its line ends: each of its lines after the first goes on a
    // line of its own below the step's. Any other text is one line.
    for (std::size_t start = 0, end; start == 0 || start < text.size(); start = end + 1) {
        end = keepLineEnds ? std::min(text.find(L'\n', start), text.size()) : text.size();
        std::wstring_view line = std::wstring_view(text).substr(start, end - start);
        if (keepLineEnds && line.ends_with(L'\r')) { // a CR LF line end, as in system messages
            line.remove_suffix(1);
        }
        if (!line.empty()) {
            block_.append(start == 0 ? L"" : L"\r\n            ").append(Visible(line));
        }
    }
    block_ += L"\r\n";
}

void Trace::Write() noexcept {
    if (path_.empty() || block_.empty()) {
        return;
    }
    try {
        platform::AppendToFile(path_, platform::WideToUtf8(block_));
    } catch (const std::exception&) {
        // A trace file that is missing its folder, read-only or locked changes nothing of the run.
    }
    block_.clear();
    written_ = true;
}
