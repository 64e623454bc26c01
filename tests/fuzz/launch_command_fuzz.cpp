// The four command functions on any Java home, folder and argument string: the launch command is
// always one of its two shapes, with the pieces whole and in order.
#include "expect.h"
#include "launcher/launcher.h"

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
    const std::wstring head = arguments.substr(0, 2);
    const bool option = head == L"-e" || head == L"-v" || head == L"-s" || head == L"-p";
    Expect(normalised == (arguments.empty() || option ? arguments : L" -e " + arguments));

    const std::wstring jar = MakeJarArgument(folder);
    Expect(jar == L"\"" + folder + L"\\Virelt.jar\" ");
    const std::wstring prefix = MakeJavawPrefix(javaHome);
    Expect(prefix == L"\"" + javaHome + L"\\bin\\javaw.exe\" ");

    const std::wstring command = ComposeLaunchCommand(prefix, jar, normalised, javaHome);
    const bool noHome = javaHome.find_first_not_of(L' ') == std::wstring::npos;
    Expect(command == (noHome ? L"java.exe -jar " : prefix + L"-jar ") + jar + normalised);
    return 0;
}
