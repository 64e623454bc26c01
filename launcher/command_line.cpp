#include "launcher/command_line.h"

#include <algorithm>

namespace {

// The program name as the C runtime reads it: up to the first blank or tab outside double quotes,
// with the quotes taken out. Gives the name and where it ends in the line.
std::pair<std::wstring, std::size_t> RuntimeProgramName(std::wstring_view commandLine) {
    std::wstring name;
    bool quoted = false;
    std::size_t at = 0;
    for (; at < commandLine.size() &&
           (quoted || (commandLine[at] != L' ' && commandLine[at] != L'\t'));
         ++at) {
        if (commandLine[at] == L'"') {
            quoted = !quoted;
        } else {
            name.push_back(commandLine[at]);
        }
    }
    return {name, at};
}

} // namespace

std::wstring
ArgumentsAfterProgramName(std::wstring_view commandLine,
                          const std::function<bool(std::wstring_view run)>& namesProgram) {
    std::size_t end = std::min(commandLine.find_first_of(L" \t"), commandLine.size());
    bool named = false;
    if (!commandLine.empty() && commandLine.front() == L'"') {
        const auto closing = commandLine.find(L'"', 1);
        end = closing == std::wstring_view::npos ? commandLine.size() : closing + 1;
        named =
            closing == std::wstring_view::npos || namesProgram(commandLine.substr(1, closing - 1));
    } else {
        // Each run, shortest first, up to the whole line.
        for (std::size_t runEnd = end; !named;
             runEnd = std::min(commandLine.find_first_of(L" \t", runEnd + 1), commandLine.size())) {
            if (namesProgram(commandLine.substr(0, runEnd))) {
                end = runEnd;
                named = true;
            }
            if (runEnd == commandLine.size()) {
                break;
            }
        }
    }
    // cmd.exe runs a line whose quotes close inside the path, such as "C:\Program Files"\x.exe,
    // and passes it on as typed.
    if (!named) {
        const auto [name, nameEnd] = RuntimeProgramName(commandLine);
        if (nameEnd != name.size() && namesProgram(name)) { // it had quotes to take out
            end = nameEnd;
        }
    }
    const auto arguments = commandLine.find_first_not_of(L" \t", end);
    return arguments == std::wstring_view::npos ? std::wstring()
                                                : std::wstring(commandLine.substr(arguments));
}
