#include "launcher/trace.h"

#include "launcher/paths.h"
#include "launcher/text.h"
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
        return L"JavaHome is of type " + read.typeName + L", not REG_SZ";
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

void TracePointer(Trace& trace, const RuntimePointer& pointer) {
    if (!trace) { // the lines are built only for a trace
        return;
    }
    trace.Line(L"pointer file read as ", TraceText(pointer.encoding), L", first item: ",
               pointer.keyPath ? L"[" + *pointer.keyPath + L"]"
                               : L"none within the first " + DecimalText(MaxPointerFileBytes) +
                                     L" bytes, so it names no registry key");
}

void TraceRuntimeReading(Trace& trace, const RuntimeReading& reading) {
    if (!trace) { // the lines are built only for a trace
        return;
    }
    const std::wstring page = L"code page " + DecimalText(reading.codePage);
    trace.Line(L"the Java runtime reads its command line in ", page,
               reading.changed.empty() ? L", which holds every part of it" : L"");
    // The first few, so that thousands of arguments make no thousands of lines.
    constexpr std::size_t listed = 8;
    const auto& changed = reading.changed;
    for (std::size_t at = 0; at < std::min(changed.size(), listed); ++at) {
        const ChangedPart& part = changed[at];
        trace.Line(page, L" lacks ", NamedCharacters(part.lacking), L" of ", PartName(part), L" [",
                   part.text,
                   part.absent ? L"]: it is not there, so it goes as the registry names it"
                   : part.replacement.empty()
                       ? L"]: no other name of it reads back the same, so nothing is started"
                       : L"]: it goes as [" + part.replacement + L"]");
    }
    if (changed.size() > listed) {
        trace.Line(L"and ", DecimalText(changed.size() - listed), L" more parts that ", page,
                   L" lacks");
    }
}

void TraceJavaHome(Trace& trace, const JavaHomeChoice& choice) {
    if (!trace) { // the lines are built only for a trace
        return;
    }
    for (const auto& answer : choice.views) {
        const std::wstring_view view = choice.oneView ? L"the one view of a 32-bit Windows"
                                                      : modRegAccess::ViewName(answer.view);
        trace.Line(L"registry: HKEY_LOCAL_MACHINE\\", choice.keyPath, L", ", view, L": ",
                   TraceText(answer));
    }
    if (!choice.home) {
        trace.Line(L"Java home: none, so java.exe");
        return;
    }
    const std::wstring from =
        L", from the " + std::wstring(choice.oneView ? L"one view of a 32-bit Windows"
                                                     : modRegAccess::ViewName(choice.home->view));
    if (choice.home->javawThere) {
        trace.Line(L"Java home: ", choice.home->dir, from);
    } else {
        trace.Line(L"Java home: ", choice.home->dir, L", the first whole path", from,
                   L", though no view's home holds bin\\javaw.exe");
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
    std::wstring time = DecimalText(tenths / 10) + L"." + DecimalText(tenths % 10) + L" ms";
    time.insert(0, time.size() < 10 ? 10 - time.size() : 0, L' ');
    if (!keepLineEnds) {
        block_ += time + L"  " + Visible(text) + L"\r\n";
        return;
    }
    // Each line of the text after the first goes on a line of its own below the step's.
    std::wstring lines = time + L"  ";
    for (std::size_t start = 0, end; start < text.size(); start = end + 1) {
        end = std::min(text.find(L'\n', start), text.size());
        std::wstring_view line = std::wstring_view(text).substr(start, end - start);
        if (line.ends_with(L'\r')) { // a CR LF line end, as in some system messages
            line.remove_suffix(1);
        }
        if (!line.empty()) {
            lines += (start == 0 ? L"" : L"\r\n" + std::wstring(12, L' ')) + Visible(line);
        }
    }
    block_ += lines + L"\r\n";
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
