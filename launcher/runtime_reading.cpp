#include "launcher/runtime_reading.h"

#include "platform/platform.h"
#include "text/text.h"

#include <algorithm>

namespace {

bool ReadsBack(std::wstring_view text) {
    return platform::AsAnsiProgramReadsIt(text) == text;
}

} // namespace

std::vector<std::wstring> LackingCharacters(std::wstring_view text) {
    std::vector<std::wstring> lacking;
    if (text.empty()) {
        return lacking;
    }
    // Each character once, looked up by its code point, a lone half by its own: a bit each, 16 to
    // a unit of a wide string, whose code the program has already.
    std::wstring seen(0x110000 / 16, L'\0');
    for (std::size_t at = 0, length; at < text.size(); at += length) {
        length = CharacterLength(text, at);
        const std::uint32_t point = CodePoint(text.substr(at, length));
        wchar_t& word = seen[point / 16];
        const auto bit = static_cast<wchar_t>(1U << (point % 16));
        if ((word & bit) != 0) {
            continue;
        }
        word = static_cast<wchar_t>(word | bit);
        if (const std::wstring character(text.substr(at, length)); !ReadsBack(character)) {
            lacking.push_back(character);
        }
    }
    return lacking;
}

OptionVariables ReadOptionVariables() {
    OptionVariables variables{platform::AnsiCodePage(),
                              {{{L"JDK_JAVA_OPTIONS", {}, {}},
                                {L"_JAVA_OPTIONS", {}, {}},
                                {L"JAVA_TOOL_OPTIONS", {}, {}}}}};
    for (OptionVariable& variable : variables.each) {
        variable.value = platform::EnvironmentVariable(variable.name);
        variable.lacking = LackingCharacters(variable.value);
    }
    return variables;
}

namespace {

// Another name of the file or folder at path that reads back exactly: its short path; for a file
// not there yet, such as an output file, its own name after its folder's short path. Empty when
// there is none.
std::wstring NameThatReadsBack(const std::wstring& path) {
    if (const auto shortPath = platform::ShortPath(path); shortPath && ReadsBack(*shortPath)) {
        return *shortPath;
    }
    const auto separator = path.find_last_of(L"\\/");
    if (separator == std::wstring::npos) {
        return {};
    }
    const std::wstring name = path.substr(separator + 1);
    const auto folder = platform::ShortPath(path.substr(0, separator + 1));
    if (name.empty() || !ReadsBack(name) || !folder || !ReadsBack(*folder)) {
        return {};
    }
    const bool endsInSeparator = folder->ends_with(L'\\') || folder->ends_with(L'/');
    return *folder + (endsInSeparator ? L"" : L"\\") + name;
}

// The argument that the runtime's rules read back as value: in quotes when it holds a blank or a
// tab or was quoted, its closing quote after doubled backslashes so that they stay backslashes.
std::wstring AsArgument(const std::wstring& value, bool wasQuoted) {
    if (!wasQuoted && value.find_first_of(L" \t") == std::wstring::npos) {
        return value;
    }
    const std::size_t trailingBackslashes = value.size() - (value.find_last_not_of(L'\\') + 1);
    return L"\"" + value + std::wstring(trailingBackslashes, L'\\') + L"\"";
}

} // namespace

std::wstring PartName(const ChangedPart& part) {
    const std::wstring name = WordsFor(part.part).name;
    return part.part == RuntimePart::Argument ? name + DecimalText(part.argument) : name;
}

const ChangedPart* RuntimeReading::Refused() const {
    const auto refused = std::find_if(changed.begin(), changed.end(), [](const ChangedPart& c) {
        return c.replacement.empty() && !c.absent;
    });
    return refused == changed.end() ? nullptr : &*refused;
}

RuntimeReading ReadingForAnsiRuntime(const RuntimeParts& parts) {
    RuntimeReading reading{platform::AnsiCodePage(), parts, {}};
    const auto change = [&](RuntimePart part, std::size_t argument, const std::wstring& text) {
        reading.changed.push_back(
            {part, argument, text, LackingCharacters(text), NameThatReadsBack(text)});
        return reading.changed.back().replacement;
    };
    if (!ReadsBack(parts.runtime)) {
        if (parts.runtimeThere) {
            reading.parts.runtime = change(RuntimePart::Runtime, 0, parts.runtime);
        } else {
            reading.changed.push_back({RuntimePart::Runtime,
                                       0,
                                       parts.runtime,
                                       LackingCharacters(parts.runtime),
                                       {},
                                       true});
        }
    }
    if (!ReadsBack(parts.executableDir)) {
        reading.parts.executableDir = change(RuntimePart::InstallFolder, 0, parts.executableDir);
    }
    if (ReadsBack(parts.argLine)) {
        return reading;
    }
    // Only the arguments that would be read otherwise change; every other character stays.
    std::wstring argLine;
    std::size_t copied = 0;
    std::size_t number = 0;
    for (const ArgumentSpan& span : SplitArguments(parts.argLine)) {
        ++number;
        if (ReadsBack(span.value)) {
            continue;
        }
        const std::wstring_view written =
            std::wstring_view(parts.argLine).substr(span.start, span.length);
        argLine += parts.argLine.substr(copied, span.start - copied);
        argLine += AsArgument(change(RuntimePart::Argument, number, span.value),
                              written.find(L'"') != std::wstring_view::npos);
        copied = span.start + span.length;
    }
    reading.parts.argLine = argLine + parts.argLine.substr(copied);
    return reading;
}

std::vector<ArgumentSpan> SplitArguments(std::wstring_view line) {
    std::vector<ArgumentSpan> spans;
    for (std::size_t at = line.find_first_not_of(L" \t"); at != std::wstring_view::npos;
         at = line.find_first_not_of(L" \t", at)) {
        ArgumentSpan span{at, 0, {}};
        bool quoted = false;
        while (at < line.size() && (quoted || (line[at] != L' ' && line[at] != L'\t'))) {
            if (line[at] == L'\\') {
                const std::size_t run =
                    std::min(line.find_first_not_of(L'\\', at), line.size()) - at;
                at += run;
                const bool quoteFollows = at < line.size() && line[at] == L'"';
                span.value.append(quoteFollows ? run / 2 : run, L'\\');
                if (quoteFollows && run % 2 == 1) {
                    span.value += L'"';
                    ++at;
                }
            } else if (line[at] == L'"') {
                if (quoted && at + 1 < line.size() && line[at + 1] == L'"') {
                    span.value += L'"';
                    ++at;
                } else {
                    quoted = !quoted;
                }
                ++at;
            } else {
                span.value += line[at++];
            }
        }
        span.length = at - span.start;
        spans.push_back(std::move(span));
    }
    return spans;
}
