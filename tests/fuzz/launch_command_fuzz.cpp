// The four command functions on any Java home, folder and argument string. The launch command
// holds the arguments whole at its end, the archive's quoted path before them, and one of the two
// launchers at its start; arguments are only ever given " -e " in front. The runtime's split of
// the arguments covers the string in order, with only blanks and tabs between its arguments, and
// each argument written alone reads back the same.
#include "expect.h"
#include "launcher/launch_command.h"
#include "launcher/runtime_reading.h"
#include "text/text.h"

#include <fuzzer/FuzzedDataProvider.h>

namespace {

std::wstring Text(FuzzedDataProvider& input) {
    const std::string bytes = input.ConsumeRandomLengthString(300);
    std::wstring text;
    for (const unsigned char byte : bytes) {
        // Blanks, tabs, quotes, dashes and a few letters are what matters; others pass through.
        text.push_back(byte % 8 == 0 ? L' ' : static_cast<wchar_t>(byte));
    }
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const std::wstring javaHome = Text(input);
    const std::wstring folder = Text(input);
    const std::wstring arguments = TrimBlanks(Text(input));

    const std::wstring normalised = NormaliseArguments(arguments);
    Expect(normalised.ends_with(arguments));
    Expect(normalised == arguments || (!arguments.empty() && normalised.starts_with(L" -e ") &&
                                       normalised.size() == arguments.size() + 4));
    Expect(NormaliseArguments(normalised) == L" -e " + normalised || normalised == arguments);

    const std::wstring jar = MakeJarArgument(folder);
    const std::wstring prefix = MakeJavawPrefix(javaHome);
    const std::wstring command = ComposeLaunchCommand(prefix, jar, normalised, javaHome);
    Expect(command.ends_with(L"-jar " + jar + normalised));
    Expect(jar.starts_with(L"\"" + folder) && jar.ends_with(L"\\Virelt.jar\" "));
    Expect(command.starts_with(javaHome.empty() ? L"java.exe "
                                                : L"\"" + javaHome + L"\\bin\\javaw.exe\" "));

    std::size_t end = 0;
    for (const ArgumentSpan& span : SplitArguments(normalised)) {
        Expect(span.start >= end && span.length > 0 &&
               span.start + span.length <= normalised.size());
        Expect(normalised.find_first_not_of(L" \t", end) == span.start);
        const std::wstring written = normalised.substr(span.start, span.length);
        Expect(SplitArguments(written) == std::vector<ArgumentSpan>{{0, span.length, span.value}});
        end = span.start + span.length;
    }
    Expect(normalised.find_first_not_of(L" \t", end) == std::wstring::npos);
    return 0;
}
